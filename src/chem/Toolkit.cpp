#include "chem/Toolkit.h"

#include <RDGeneral/versions.h>

namespace Chem {

std::string ToolkitVersion() { return RDKit::rdkitVersion ? RDKit::rdkitVersion : ""; }

} // namespace Chem
