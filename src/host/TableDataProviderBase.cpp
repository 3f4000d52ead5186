#include "host/TableDataProviderBase.h"

#include "host/CfxFormat.h"
#include "host/Structure.h"

namespace Host {

ITableDataProvider::~ITableDataProvider() = default;

TableDataProviderBase::~TableDataProviderBase() = default;

int TableDataProviderBase::GetRowCount() const { return 0; }

int TableDataProviderBase::GetColumnCount() const { return 0; }

ChemistryCell TableDataProviderBase::IsChemistryCell(int, int) { return NotChemistry; }

boost::any TableDataProviderBase::GetCellData(int, int) { return boost::any(); }

bool TableDataProviderBase::SetCellData(int, int, const boost::any&) { return false; }

bool TableDataProviderBase::InsertRows(int, int) { return false; }

bool TableDataProviderBase::DeleteRows(int, int) { return false; }

bool TableDataProviderBase::InsertColumns(int, int) { return false; }

bool TableDataProviderBase::DeleteColumns(int, int) { return false; }

std::wstring TableDataProviderBase::GetCellInfoText(int, int) { return std::wstring(); }

std::wstring TableDataProviderBase::GetRowTitle(int row)
{
    return CfxFormat(L"%1") << row + 1;
}

std::wstring TableDataProviderBase::GetColumnTitle(int) { return std::wstring(); }

bool TableDataProviderBase::SetRowTitle(int, const std::wstring&) { return false; }

bool TableDataProviderBase::SetColumnTitle(int, const std::wstring&) { return false; }

CheckState TableDataProviderBase::GetCellCheckState(int, int) { return Unchecked; }

bool TableDataProviderBase::SetCellCheckState(int, int, CheckState) { return false; }

std::string TableDataProviderBase::GetCellDataType(int row, int column)
{
    const std::type_info& type = GetCellDataTypeId(row, column);
    if (type == typeid(void))
        return std::string();
    if (type == typeid(int))
        return "int";
    if (type == typeid(float))
        return "float";
    if (type == typeid(double))
        return "double";
    if (type == typeid(std::wstring))
        return "text";
    if (type == typeid(Structure))
        return "structure";
    return type.name();
}

const std::type_info& TableDataProviderBase::GetCellDataTypeId(int row, int column) const
{
    // GetCellData is not const because file providers move their stream and
    // caches while reading; asking the type of a cell changes nothing a caller
    // can see, so the const promise holds.
    return const_cast<TableDataProviderBase*>(this)->GetCellData(row, column).type();
}

bool TableDataProviderBase::IsCellEditable(int, int) { return false; }

Structure::~Structure() = default;

} // namespace Host
