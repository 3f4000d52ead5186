#pragma once

#include "host/Export.h"

namespace Host {

// Names a structure column: a provider whose column holds molecules answers
// GetCellDataTypeId with typeid(Host::Structure) there.
class VORLAT_EXPORT Structure {
public:
    virtual ~Structure();
};

} // namespace Host
