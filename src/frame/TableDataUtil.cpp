#include "frame/TableDataUtil.h"

#include <algorithm>

#include "frame/NumberTyping.h"
#include "host/CfxFormat.h"
#include "host/StringConversion.h"

namespace VorlatImportExport {

boost::any TableDataUtil::SStringToBoostAny(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return Host::ToWString(text);
    const std::size_t last = text.find_last_not_of(' ');
    const std::string trimmed = text.substr(first, last - first + 1);

    // The number parsers never consult the locale: the decimal separator is
    // the point whatever the user's settings, without switching conventions
    // for every cell.
    boost::any value;
    if (TypeNumberText(trimmed, value))
        return value;
    return Host::ToWString(trimmed);
}

std::wstring TableDataUtil::BoostAny2WString(const boost::any& value)
{
    // The pattern "%1" gives the inserted value's own text: it is written
    // directly, without building a formatter per cell.
    const std::type_info& type = value.type();
    if (type == typeid(int))
        return Host::CfxFormat::FormatNumber(boost::any_cast<int>(value));
    if (type == typeid(float))
        return Host::CfxFormat::FormatNumber(boost::any_cast<float>(value));
    if (type == typeid(double))
        return Host::CfxFormat::FormatNumber(boost::any_cast<double>(value));
    if (type == typeid(std::wstring))
        return *boost::any_cast<std::wstring>(&value);
    return std::wstring();
}

int TableDataUtil::FindColumnFromTable(boost::shared_ptr<Host::ITableDataProvider> table, const std::wstring& title)
{
    if (!table)
        return -1;
    const int count = table->GetColumnCount();
    for (int column = 0; column < count; ++column)
        if (table->GetColumnTitle(column) == title)
            return column;
    return -1;
}

void TableDataUtil::FindNumericalColumns(boost::shared_ptr<Host::ITableDataProvider> table, std::vector<int>& columns)
{
    if (!table)
        return;
    // Only row 0 decides; a table without rows has nothing to look at.
    if (table->GetRowCount() <= 0)
        return;
    const int count = table->GetColumnCount();
    for (int column = 0; column < count; ++column) {
        const std::type_info& type = table->GetCellDataTypeId(0, column);
        if (type == typeid(int) || type == typeid(float) || type == typeid(double)) {
            columns.push_back(column);
        } else if (type == typeid(std::wstring)) {
            // Throws boost::bad_any_cast when the provider names wide text
            // but returns another kind.
            if (boost::any_cast<std::wstring>(table->GetCellData(0, column)).empty())
                columns.push_back(column);
        }
    }
}

void TableDataUtil::FindNumericalColumnNames(boost::shared_ptr<Host::ITableDataProvider> table,
                                             std::vector<std::wstring>& names)
{
    std::vector<int> columns;
    FindNumericalColumns(table, columns);
    for (int column : columns)
        names.push_back(table->GetColumnTitle(column));
}

void TableDataUtil::GetColumnsFromTable(boost::shared_ptr<Host::ITableDataProvider> table,
                                        std::vector<std::wstring>& titles, const std::vector<std::wstring>& leaveOut)
{
    if (!table)
        return;
    const int count = table->GetColumnCount();
    for (int column = 0; column < count; ++column) {
        std::wstring title = table->GetColumnTitle(column);
        if (!IsUndesiredColumn(title, leaveOut))
            titles.push_back(std::move(title));
    }
}

bool TableDataUtil::IsUndesiredColumn(const std::wstring& title, const std::vector<std::wstring>& titles)
{
    return std::find(titles.begin(), titles.end(), title) != titles.end();
}

} // namespace VorlatImportExport
