#pragma once

#include <string>

#include "host/Export.h"

namespace Chem {

// The version of the cheminformatics toolkit the library runs on, as it
// reports itself at run time (for example "2022.09.3").
VORLAT_EXPORT std::string ToolkitVersion();

} // namespace Chem
