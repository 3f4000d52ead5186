#include "chem/Toolkit.h"

#include <RDGeneral/versions.h>

#include "chem/detail/QuietToolkit.h"

namespace Chem {

std::string ToolkitVersion() { return RDKit::rdkitVersion ? RDKit::rdkitVersion : ""; }

struct ToolkitLogsOff::State {
    detail::QuietToolkit quiet;
};

ToolkitLogsOff::ToolkitLogsOff() : m_State(new State) {}

ToolkitLogsOff::~ToolkitLogsOff() { delete m_State; }

} // namespace Chem
