#include "analysis/RowGroups.h"

namespace VorlatImportExport {

RowGroup::~RowGroup() = default;

RowGroups::RowGroups() = default;

RowGroups::RowGroups(const RowGroups& other) { *this = other; }

RowGroups& RowGroups::operator=(const RowGroups& other)
{
    if (this == &other)
        return *this;
    Clear();
    for (const auto& [value, group] : other.m_Groups)
        m_Groups.emplace(value, new RowGroup(*group));
    return *this;
}

RowGroups::~RowGroups() { Clear(); }

void RowGroups::Clear()
{
    for (auto& [value, group] : m_Groups)
        delete group;
    m_Groups.clear();
}

RowGroup* RowGroups::FindOrAddGroup(const std::wstring& groupValue)
{
    auto found = m_Groups.find(groupValue);
    if (found == m_Groups.end())
        found = m_Groups.emplace(groupValue, new RowGroup).first;
    return found->second;
}

void RowGroups::AddRow(const std::wstring& groupValue, int row) { FindOrAddGroup(groupValue)->m_Rows.push_back(row); }

void RowGroups::GetRows(const std::vector<std::wstring>& groupValues, std::vector<int>& rows) const
{
    if (groupValues.empty()) {
        for (const auto& [value, group] : m_Groups)
            rows.insert(rows.end(), group->m_Rows.begin(), group->m_Rows.end());
        return;
    }
    for (const std::wstring& value : groupValues) {
        const auto found = m_Groups.find(value);
        if (found != m_Groups.end())
            rows.insert(rows.end(), found->second->m_Rows.begin(), found->second->m_Rows.end());
    }
}

} // namespace VorlatImportExport
