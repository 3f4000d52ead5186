#pragma once

#include <boost/any.hpp>

#include "host/Export.h"

namespace Host {

class VORLAT_EXPORT TableDataProviderUtilities {
public:
    // A strict weak order over all cell values; only the sign of the result
    // counts (below 0: first orders before second). Empty values come first,
    // then numbers (int, float and double by numeric value across kinds, NaN
    // after every other number), then wide texts (code unit by code unit),
    // then every other kind (ordered by type, equal within one type).
    static int Compare(const boost::any& first, const boost::any& second);

    // True for an int, a float or a double.
    static bool IsNumeric(const boost::any& value);
};

} // namespace Host
