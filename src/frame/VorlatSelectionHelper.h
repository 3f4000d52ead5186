#pragma once

#include <vector>

#include "frame/RowIterator.h"
#include "host/CellRanges.h"
#include "host/Export.h"

namespace VorlatImportExport {

// Remembers the table's selection and tells whether a new one covers other
// rows (columns do not count).
class VORLAT_EXPORT VorlatSelectionHelper {
public:
    VorlatSelectionHelper();
    VorlatSelectionHelper(const VorlatSelectionHelper& other);
    VorlatSelectionHelper& operator=(const VorlatSelectionHelper& other);
    virtual ~VorlatSelectionHelper();

    // Keeps copies of the ranges.
    void SetSelection(const Host::CellRanges& ranges);
    const Host::CellRanges& GetSelection() const { return m_Selection; }
    // With check false: false. Otherwise whether the ranges cover another
    // set of rows than the kept selection.
    bool IsSelectionChanged(const Host::CellRanges& ranges, bool check) const;
    // Appends every selected row once, ascending.
    void GetSelectionInRows(std::vector<int>& rows) const;

private:
    Host::CellRanges m_Selection;
    RowIterator m_RowIterator;
};

} // namespace VorlatImportExport
