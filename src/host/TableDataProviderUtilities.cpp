#include "host/TableDataProviderUtilities.h"

#include <cmath>
#include <string>
#include <typeinfo>

namespace Host {

namespace {

enum Rank { EmptyRank = 0, NumberRank = 1, TextRank = 2, OtherRank = 3 };

Rank RankOf(const boost::any& value)
{
    if (value.empty())
        return EmptyRank;
    if (TableDataProviderUtilities::IsNumeric(value))
        return NumberRank;
    if (value.type() == typeid(std::wstring))
        return TextRank;
    return OtherRank;
}

// int and float both convert to double without loss.
double AsDouble(const boost::any& value)
{
    const std::type_info& type = value.type();
    if (type == typeid(int))
        return boost::any_cast<int>(value);
    if (type == typeid(float))
        return boost::any_cast<float>(value);
    return boost::any_cast<double>(value);
}

int CompareNumbers(double a, double b)
{
    const bool aNaN = std::isnan(a);
    const bool bNaN = std::isnan(b);
    if (aNaN || bNaN)
        return static_cast<int>(aNaN) - static_cast<int>(bNaN);
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

bool TableDataProviderUtilities::IsNumeric(const boost::any& value)
{
    const std::type_info& type = value.type();
    return type == typeid(int) || type == typeid(float) || type == typeid(double);
}

int TableDataProviderUtilities::Compare(const boost::any& first, const boost::any& second)
{
    const Rank a = RankOf(first);
    const Rank b = RankOf(second);
    if (a != b)
        return a < b ? -1 : 1;
    switch (a) {
    case EmptyRank:
        return 0;
    case NumberRank:
        return CompareNumbers(AsDouble(first), AsDouble(second));
    case TextRank: {
        const std::wstring& x = *boost::any_cast<std::wstring>(&first);
        const std::wstring& y = *boost::any_cast<std::wstring>(&second);
        // Code unit order, independent of the sign of wchar_t.
        const std::size_t n = x.size() < y.size() ? x.size() : y.size();
        for (std::size_t i = 0; i < n; ++i) {
            const auto cx = static_cast<unsigned long>(x[i]);
            const auto cy = static_cast<unsigned long>(y[i]);
            if (cx != cy)
                return cx < cy ? -1 : 1;
        }
        return x.size() < y.size() ? -1 : (x.size() > y.size() ? 1 : 0);
    }
    case OtherRank:
        if (first.type() == second.type())
            return 0;
        return first.type().before(second.type()) ? -1 : 1;
    }
    return 0;
}

} // namespace Host
