#include "analysis/GroupRankRecords.h"

#include "frame/NumberTyping.h"
#include "host/StringConversion.h"
#include "host/TableDataProviderUtilities.h"

namespace VorlatImportExport {

boost::any GroupRankRecord::RankValue(const std::wstring& text)
{
    // Typed as the cells themselves are, so that a rank value is the value
    // its cell holds: long IDs keep every digit. Blanks before the number
    // (which the validators allow) are skipped; a text that is no number
    // stays text.
    const std::string narrow = Host::ToSString(text);
    const std::size_t first = narrow.find_first_not_of(" \t");
    if (first != std::string::npos) {
        const std::size_t last = narrow.find_last_not_of(' ');
        boost::any value;
        if (TypeNumberText(std::string_view(narrow).substr(first, last - first + 1), value))
            return value;
    }
    return text;
}

GroupRankRecord::GroupRankRecord(const std::wstring& valueText, int row)
    : m_MaxValue(RankValue(valueText)), m_MaxRow(row), m_MinValue(m_MaxValue), m_MinRow(row)
{
}

GroupRankRecord::~GroupRankRecord() = default;

void GroupRankRecord::Update(const std::wstring& valueText, int row) { Update(RankValue(valueText), row); }

void GroupRankRecord::Update(const boost::any& value, int row)
{
    using Host::TableDataProviderUtilities;
    // A number always replaces a text and a text never a number; otherwise
    // only a strictly larger (smaller) value does.
    const bool number = TableDataProviderUtilities::IsNumeric(value);
    const auto replaces = [&](const boost::any& extreme, int sign) {
        if (number != TableDataProviderUtilities::IsNumeric(extreme))
            return number;
        return TableDataProviderUtilities::Compare(value, extreme) * sign > 0;
    };
    if (replaces(m_MaxValue, 1)) {
        m_MaxValue = value;
        m_MaxRow = row;
    }
    if (replaces(m_MinValue, -1)) {
        m_MinValue = value;
        m_MinRow = row;
    }
}

boost::any GroupRankRecord::GetValue(TDM_Query_Limits limit) const
{
    return limit == TDM_Query_Mins ? m_MinValue : m_MaxValue;
}

GroupRankRecords::GroupRankRecords() = default;

GroupRankRecords::GroupRankRecords(const GroupRankRecords& other) { *this = other; }

GroupRankRecords& GroupRankRecords::operator=(const GroupRankRecords& other)
{
    if (this == &other)
        return *this;
    Clear();
    for (const auto& [value, record] : other.m_Records)
        m_Records.emplace(value, new GroupRankRecord(*record));
    return *this;
}

GroupRankRecords::~GroupRankRecords() { Clear(); }

void GroupRankRecords::Clear()
{
    for (auto& [value, record] : m_Records)
        delete record;
    m_Records.clear();
}

GroupRankRecord* GroupRankRecords::Find(const std::wstring& groupValue) const
{
    const auto found = m_Records.find(groupValue);
    return found != m_Records.end() ? found->second : nullptr;
}

GroupRankRecord* GroupRankRecords::AddValue(const std::wstring& groupValue, const boost::any& value, int row)
{
    const auto found = m_Records.find(groupValue);
    if (found != m_Records.end()) {
        found->second->Update(value, row);
        return found->second;
    }
    GroupRankRecord* record = new GroupRankRecord(std::wstring(), row);
    record->m_MaxValue = record->m_MinValue = value;
    m_Records.emplace(groupValue, record);
    return record;
}

void GroupRankRecords::AddValue(const std::wstring& groupValue, const std::wstring& valueText, int row)
{
    AddValue(groupValue, GroupRankRecord::RankValue(valueText), row);
}

void GroupRankRecords::GetRows(const std::vector<std::wstring>& groupValues, std::vector<int>& rows,
                               TDM_Query_Limits limit) const
{
    if (m_Records.empty())
        return;
    if (groupValues.empty()) {
        for (const auto& [value, record] : m_Records)
            rows.push_back(record->GetRow(limit));
        return;
    }
    for (const std::wstring& value : groupValues)
        if (const GroupRankRecord* record = Find(value))
            rows.push_back(record->GetRow(limit));
}

void GroupRankRecords::GetValueLimits(boost::any& largest, boost::any& smallest, TDM_Query_Limits limit) const
{
    if (m_Records.empty())
        return;
    using Host::TableDataProviderUtilities;
    // Numbers win over the texts of records without a number, as within a
    // record: the limits are numbers whenever some record has one.
    const auto beats = [](const boost::any& value, const boost::any& than, int sign) {
        if (TableDataProviderUtilities::IsNumeric(value) != TableDataProviderUtilities::IsNumeric(than))
            return TableDataProviderUtilities::IsNumeric(value);
        return TableDataProviderUtilities::Compare(value, than) * sign > 0;
    };
    auto at = m_Records.begin();
    largest = smallest = at->second->GetValue(limit);
    for (++at; at != m_Records.end(); ++at) {
        const boost::any value = at->second->GetValue(limit);
        if (beats(value, largest, 1))
            largest = value;
        if (beats(value, smallest, -1))
            smallest = value;
    }
}

} // namespace VorlatImportExport
