#include "analysis/RankExtremes.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

#include "analysis/GroupRankRecords.h"

namespace VorlatImportExport {

namespace {

const std::wstring EmptyText;

template <class T>
std::uint32_t BitsOf(T value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

template <class T>
T FromBits(std::uint32_t bits)
{
    T value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

RankExtremes::Value Number(RankExtremes::Value::Kind kind, std::uint32_t bits, double number)
{
    RankExtremes::Value value;
    value.kind = kind;
    value.bits = bits;
    value.number = number;
    return value;
}

RankExtremes::Value TextValue(const std::wstring& text)
{
    RankExtremes::Value value;
    value.text = &text;
    return value;
}

// A value of one of the kinds a rank value takes.
RankExtremes::Value Typed(const boost::any& value)
{
    const std::type_info& type = value.type();
    if (type == typeid(int)) {
        const int number = boost::any_cast<int>(value);
        return Number(RankExtremes::Value::Int, BitsOf(number), number);
    }
    if (type == typeid(float)) {
        const float number = boost::any_cast<float>(value);
        return Number(RankExtremes::Value::Float, BitsOf(number), number);
    }
    if (type == typeid(double))
        return Number(RankExtremes::Value::Double, 0, boost::any_cast<double>(value));
    if (type == typeid(std::wstring))
        return TextValue(*boost::any_cast<std::wstring>(&value));
    return TextValue(EmptyText);
}

} // namespace

RankExtremes::Value RankExtremes::Value::OfCell(const boost::any& cell, boost::any& holder)
{
    if (const std::wstring* text = boost::any_cast<std::wstring>(&cell)) {
        holder = GroupRankRecord::RankValue(*text);
        return Typed(holder);
    }
    return Typed(cell);
}

boost::any RankExtremes::Value::ToAny() const
{
    switch (kind) {
    case Int:
        return FromBits<int>(bits);
    case Float:
        return FromBits<float>(bits);
    case Double:
        return number;
    case Text:
        break;
    }
    return *text;
}

int RankExtremes::Compare(const Value& a, const Value& b)
{
    if (a.IsNumber() != b.IsNumber())
        return a.IsNumber() ? -1 : 1;
    if (a.IsNumber()) {
        const bool aNaN = std::isnan(a.number);
        const bool bNaN = std::isnan(b.number);
        if (aNaN || bNaN)
            return static_cast<int>(aNaN) - static_cast<int>(bNaN);
        return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
    }
    const std::size_t n = std::min(a.text->size(), b.text->size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<std::make_unsigned_t<wchar_t>>((*a.text)[i]);
        const auto y = static_cast<std::make_unsigned_t<wchar_t>>((*b.text)[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.text->size() < b.text->size() ? -1 : (a.text->size() > b.text->size() ? 1 : 0);
}

bool RankExtremes::Larger(const Value& value, const Value& than)
{
    if (value.IsNumber() != than.IsNumber())
        return value.IsNumber();
    return Compare(value, than) > 0;
}

bool RankExtremes::Smaller(const Value& value, const Value& than)
{
    if (value.IsNumber() != than.IsNumber())
        return value.IsNumber();
    return Compare(value, than) < 0;
}

RankExtremes::Value::Kind RankExtremes::Extreme::KindOf(std::size_t group) const
{
    return static_cast<Value::Kind>((kinds[group / 4] >> (group % 4 * 2)) & 3);
}

void RankExtremes::Extreme::SetKind(std::size_t group, Value::Kind kind)
{
    std::uint8_t& byte = kinds[group / 4];
    const unsigned shift = group % 4 * 2;
    byte = static_cast<std::uint8_t>((byte & ~(3u << shift)) | (static_cast<unsigned>(kind) << shift));
}

RankExtremes::Value RankExtremes::Stored(const Extreme& extreme, std::size_t group) const
{
    const std::uint32_t payload = extreme.payloads[group];
    switch (extreme.KindOf(group)) {
    case Value::Int:
        return Number(Value::Int, payload, FromBits<int>(payload));
    case Value::Float:
        return Number(Value::Float, payload, FromBits<float>(payload));
    case Value::Double:
        return Number(Value::Double, 0, m_Doubles[payload]);
    case Value::Text:
        break;
    }
    return TextValue(m_Texts[payload]);
}

void RankExtremes::Store(Extreme& extreme, std::size_t group, const Value& value, int row)
{
    // A double or a text replaces one of its own kind in its side table
    // entry; otherwise it takes a new entry (the old one is dropped by Finish).
    const Value::Kind old = extreme.KindOf(group);
    std::uint32_t& payload = extreme.payloads[group];
    switch (value.kind) {
    case Value::Int:
    case Value::Float:
        payload = value.bits;
        break;
    case Value::Double:
        if (old == Value::Double) {
            m_Doubles[payload] = value.number;
        } else {
            payload = static_cast<std::uint32_t>(m_Doubles.size());
            m_Doubles.push_back(value.number);
        }
        break;
    case Value::Text:
        if (old == Value::Text) {
            m_Texts[payload] = *value.text;
        } else {
            payload = static_cast<std::uint32_t>(m_Texts.size());
            m_Texts.push_back(*value.text);
        }
        break;
    }
    extreme.SetKind(group, value.kind);
    extreme.rows[group] = row;
}

void RankExtremes::Add(std::size_t group, const Value& value, int row)
{
    if (group == m_Max.rows.size()) {
        for (Extreme* extreme : {&m_Max, &m_Min}) {
            extreme->rows.push_back(row);
            extreme->payloads.push_back(0);
            if (group % 4 == 0)
                extreme->kinds.push_back(0); // Int: no side table entry to reuse
            Store(*extreme, group, value, row);
        }
        return;
    }
    if (Larger(value, Stored(m_Max, group)))
        Store(m_Max, group, value, row);
    if (Smaller(value, Stored(m_Min, group)))
        Store(m_Min, group, value, row);
}

RankExtremes::Extreme RankExtremes::Reordered(const Extreme& extreme, const std::vector<std::uint32_t>& order,
                                              std::vector<double>& doubles, std::vector<std::wstring>& texts)
{
    Extreme result;
    result.rows.reserve(order.size());
    result.payloads.reserve(order.size());
    result.kinds.assign((order.size() + 3) / 4, 0);
    for (std::size_t at = 0; at < order.size(); ++at) {
        const std::uint32_t group = order[at];
        const Value::Kind kind = extreme.KindOf(group);
        std::uint32_t payload = extreme.payloads[group];
        if (kind == Value::Double) {
            doubles.push_back(m_Doubles[payload]);
            payload = static_cast<std::uint32_t>(doubles.size() - 1);
        } else if (kind == Value::Text) {
            texts.push_back(std::move(m_Texts[payload]));
            payload = static_cast<std::uint32_t>(texts.size() - 1);
        }
        result.rows.push_back(extreme.rows[group]);
        result.payloads.push_back(payload);
        result.SetKind(at, kind);
    }
    return result;
}

void RankExtremes::Finish(std::shared_ptr<const GroupKeys> keys, const std::vector<std::uint32_t>& order)
{
    m_Keys = std::move(keys);
    // The value of an extreme is its row's value: equal rows, equal values.
    m_MinInMaxRows = m_Min.rows == m_Max.rows;
    std::vector<double> doubles;
    std::vector<std::wstring> texts;
    m_Max = Reordered(m_Max, order, doubles, texts);
    m_Min = m_MinInMaxRows ? Extreme() : Reordered(m_Min, order, doubles, texts);
    doubles.shrink_to_fit();
    texts.shrink_to_fit();
    m_Doubles = std::move(doubles);
    m_Texts = std::move(texts);
}

const RankExtremes::Extreme& RankExtremes::Of(TDM_Query_Limits limit) const
{
    return limit == TDM_Query_Mins && !m_MinInMaxRows ? m_Min : m_Max;
}

void RankExtremes::GetRows(const std::vector<std::wstring>& groupValues, std::vector<int>& rows,
                           TDM_Query_Limits limit) const
{
    const Extreme& extreme = Of(limit);
    if (groupValues.empty()) {
        rows.insert(rows.end(), extreme.rows.begin(), extreme.rows.end());
        return;
    }
    for (const std::wstring& value : groupValues) {
        const std::size_t at = m_Keys ? m_Keys->Find(value) : GroupKeys::npos;
        if (at != GroupKeys::npos)
            rows.push_back(extreme.rows[at]);
    }
}

void RankExtremes::GetValueLimits(boost::any& largest, boost::any& smallest, TDM_Query_Limits limit) const
{
    const Extreme& extreme = Of(limit);
    if (extreme.rows.empty())
        return;
    // Numbers win over the texts of groups without a number, as within a
    // group: the limits are numbers whenever some group has one.
    Value high = Stored(extreme, 0), low = high;
    for (std::size_t group = 1; group < extreme.rows.size(); ++group) {
        const Value value = Stored(extreme, group);
        if (Larger(value, high))
            high = value;
        if (Smaller(value, low))
            low = value;
    }
    largest = high.ToAny();
    smallest = low.ToAny();
}

} // namespace VorlatImportExport
