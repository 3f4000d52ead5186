#pragma once

#include <string>

#include "host/Export.h"

namespace Chem {

// The version of the cheminformatics toolkit the library runs on, as it
// reports itself at run time (for example "2022.09.3").
VORLAT_EXPORT std::string ToolkitVersion();

// For its lifetime the toolkit's logs that are on are off, and then on
// again (they belong to the process): for a caller that has many records
// read on several threads, where each read must not switch them itself.
class VORLAT_EXPORT ToolkitLogsOff {
public:
    ToolkitLogsOff();
    ~ToolkitLogsOff();
    ToolkitLogsOff(const ToolkitLogsOff&) = delete;
    ToolkitLogsOff& operator=(const ToolkitLogsOff&) = delete;

private:
    struct State;
    State* m_State;
};

} // namespace Chem
