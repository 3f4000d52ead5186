#pragma once

#include <map>
#include <string>
#include <vector>

#include <boost/any.hpp>

#include "analysis/TDMQueryLimits.h"
#include "host/Export.h"

namespace VorlatImportExport {

// A group's largest and smallest rank value, each with the first row that
// holds it. Values are rebuilt from cell texts (RankValue). Numbers win over
// texts (and the empty text of an empty cell) for both extremes; texts are
// extremes only while the group has no number.
class VORLAT_EXPORT GroupRankRecord {
public:
    GroupRankRecord(const std::wstring& valueText, int row);
    virtual ~GroupRankRecord();

    // Replaces the largest (smallest) value by a number when it is a text,
    // else only by a strictly larger (smaller) value of its kind, with its row.
    void Update(const std::wstring& valueText, int row);
    void Update(const boost::any& value, int row);
    boost::any GetValue(TDM_Query_Limits limit) const;
    int GetRow(TDM_Query_Limits limit) const { return limit == TDM_Query_Mins ? m_MinRow : m_MaxRow; }

    // A cell text as a rank value: the number the text holds, typed as cells
    // are (int, float, or double where float would change it), blanks before
    // it skipped; else the text itself.
    static boost::any RankValue(const std::wstring& text);

    boost::any m_MaxValue;
    int m_MaxRow;
    boost::any m_MinValue;
    int m_MinRow;
};

// The rank records of the groups of one grouping column for one rank column.
// Owns its records; a copy owns copies.
class VORLAT_EXPORT GroupRankRecords {
public:
    GroupRankRecords();
    GroupRankRecords(const GroupRankRecords& other);
    GroupRankRecords& operator=(const GroupRankRecords& other);
    virtual ~GroupRankRecords();

    void AddValue(const std::wstring& groupValue, const std::wstring& valueText, int row);
    // The group's record, or null.
    GroupRankRecord* Find(const std::wstring& groupValue) const;
    // Makes the group's record from a first value, or updates it.
    GroupRankRecord* AddValue(const std::wstring& groupValue, const boost::any& value, int row);
    // Appends one row per record (all, in value order, for an empty list;
    // else per listed value that has one, in the order listed).
    void GetRows(const std::vector<std::wstring>& groupValues, std::vector<int>& rows, TDM_Query_Limits limit) const;
    // The largest and smallest of the records' chosen extremes; outputs
    // untouched when there is no record.
    void GetValueLimits(boost::any& largest, boost::any& smallest, TDM_Query_Limits limit) const;
    const std::map<std::wstring, GroupRankRecord*>& GetRecords() const { return m_Records; }

private:
    void Clear();

    std::map<std::wstring, GroupRankRecord*> m_Records;
};

} // namespace VorlatImportExport
