#pragma once

#include <string>
#include <vector>

#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>

#include "host/Export.h"
#include "host/ITableDataProvider.h"

namespace VorlatImportExport {

// Conversions between cell values and text, and lookups of columns by title
// or by kind of content. Every operation appends to the list it is given and
// accepts a null table (then it adds nothing, or returns -1).
class VORLAT_EXPORT TableDataUtil {
public:
    TableDataUtil& operator=(const TableDataUtil&) { return *this; }

    // A field's text as a typed cell value: spaces around it are ignored,
    // then a number typed as TypeNumberText says (int, float, or double
    // where float would change it), else the trimmed text as wide text. An
    // empty or all-space text comes back unchanged as wide text.
    static boost::any SStringToBoostAny(const std::string& text);

    // A cell value as wide text: int, float, double and wide text through
    // CfxFormat "%1"; anything else (no value, a structure) gives "".
    static std::wstring BoostAny2WString(const boost::any& value);

    // The first column titled exactly title, or -1.
    static int FindColumnFromTable(boost::shared_ptr<Host::ITableDataProvider> table, const std::wstring& title);

    // Appends, in ascending order, the columns whose row-0 cell is a number
    // or an empty wide text.
    static void FindNumericalColumns(boost::shared_ptr<Host::ITableDataProvider> table, std::vector<int>& columns);

    // The titles of the columns FindNumericalColumns finds, in its order.
    static void FindNumericalColumnNames(boost::shared_ptr<Host::ITableDataProvider> table,
                                         std::vector<std::wstring>& names);

    // Appends every column title, in column order, except those listed in
    // leaveOut.
    static void GetColumnsFromTable(boost::shared_ptr<Host::ITableDataProvider> table,
                                    std::vector<std::wstring>& titles, const std::vector<std::wstring>& leaveOut);

    // True when title equals an element of titles.
    static bool IsUndesiredColumn(const std::wstring& title, const std::vector<std::wstring>& titles);
};

} // namespace VorlatImportExport
