#pragma once

#include <map>
#include <string>
#include <vector>

#include "host/Export.h"

namespace VorlatImportExport {

// The rows of one group, in the order added.
class VORLAT_EXPORT RowGroup {
public:
    virtual ~RowGroup();
    std::vector<int> m_Rows;
};

// Groups of rows by group value. Owns its groups; a copy owns copies.
class VORLAT_EXPORT RowGroups {
public:
    RowGroups();
    RowGroups(const RowGroups& other);
    RowGroups& operator=(const RowGroups& other);
    virtual ~RowGroups();

    void AddRow(const std::wstring& groupValue, int row);
    // The group of that value, made empty when new.
    RowGroup* FindOrAddGroup(const std::wstring& groupValue);
    // Appends the rows of the named groups, in the order named (each group's
    // rows in stored order); an empty list: every group, in value order.
    void GetRows(const std::vector<std::wstring>& groupValues, std::vector<int>& rows) const;
    const std::map<std::wstring, RowGroup*>& GetGroups() const { return m_Groups; }

private:
    void Clear();

    std::map<std::wstring, RowGroup*> m_Groups;
};

} // namespace VorlatImportExport
