#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <boost/any.hpp>

#include "analysis/GroupKeys.h"
#include "analysis/TDMQueryLimits.h"

namespace VorlatImportExport {

// For every group of one grouping column, the largest and the smallest value
// of one rank column, each with the first row that holds it. A group with any
// number has numbers as its extremes: texts, and empty cells or structures
// (which count as the empty text), never win over a number. Only a group
// without a number has texts as extremes, compared among themselves.
//
// Held as arrays over the groups in key order, per extreme: the row, four
// bytes of value (an int's or a float's own bits, else the index of a double
// or a text in a side table) and two bits for the value's kind. Where every
// group's smallest value is in the same row as its largest (groups of one
// row, say), the smallest are not held apart.
class RankExtremes {
public:
    // A rank value as the analysis compares it: a number or a text.
    struct Value {
        enum Kind : std::uint8_t { Int, Float, Double, Text };

        // The rank value of a cell: a number cell's own value; a text typed
        // by GroupRankRecord::RankValue (holder keeps what that makes);
        // anything else the empty text.
        static Value OfCell(const boost::any& cell, boost::any& holder);
        boost::any ToAny() const;
        bool IsNumber() const { return kind != Text; }

        Kind kind = Text;
        std::uint32_t bits = 0;             // an Int's or a Float's own bits
        double number = 0;                  // every number, exactly
        const std::wstring* text = nullptr; // a Text
    };

    // The order of TableDataProviderUtilities::Compare: numbers by value
    // (NaN after every other number), then texts by code unit.
    static int Compare(const Value& a, const Value& b);
    // Whether value replaces a group's largest (smallest) extreme: a number
    // always replaces a text, a text never a number, else only a strictly
    // larger (smaller) value.
    static bool Larger(const Value& value, const Value& than);
    static bool Smaller(const Value& value, const Value& than);

    // During the analysis pass, groups numbered in order of first sight: the
    // first value of a new group (group == the number of groups so far) or a
    // later value of a known one.
    void Add(std::size_t group, const Value& value, int row);
    // After the pass: puts the groups in key order (order: the group numbers
    // in key order) and keeps only what answers need.
    void Finish(std::shared_ptr<const GroupKeys> keys, const std::vector<std::uint32_t>& order);

    // Appends per named group that has extremes (every group in key order
    // for an empty list) the row of its largest or smallest value.
    void GetRows(const std::vector<std::wstring>& groupValues, std::vector<int>& rows, TDM_Query_Limits limit) const;
    // The largest and the smallest of the groups' chosen extremes, compared
    // with Compare; both outputs untouched when there is no group.
    void GetValueLimits(boost::any& largest, boost::any& smallest, TDM_Query_Limits limit) const;

private:
    // One extreme of every group.
    struct Extreme {
        Value::Kind KindOf(std::size_t group) const;
        void SetKind(std::size_t group, Value::Kind kind);

        std::vector<int> rows;
        std::vector<std::uint32_t> payloads;
        std::vector<std::uint8_t> kinds; // four groups a byte
    };

    Value Stored(const Extreme& extreme, std::size_t group) const;
    void Store(Extreme& extreme, std::size_t group, const Value& value, int row);
    // The extreme in key order, its doubles and texts moved to new tables.
    Extreme Reordered(const Extreme& extreme, const std::vector<std::uint32_t>& order, std::vector<double>& doubles,
                      std::vector<std::wstring>& texts);
    const Extreme& Of(TDM_Query_Limits limit) const;

    std::shared_ptr<const GroupKeys> m_Keys;
    Extreme m_Max;
    Extreme m_Min;
    bool m_MinInMaxRows = false; // m_Min is not held: the smallest are the largest
    std::vector<double> m_Doubles;
    std::vector<std::wstring> m_Texts;
};

} // namespace VorlatImportExport
