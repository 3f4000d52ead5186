#pragma once

#include "host/ITableDataProvider.h"

namespace Host {

// Gives every slot of ITableDataProvider a default, so that a provider
// replaces only what it knows: an empty, read-only table whose rows are
// titled by their 1-based number and whose columns have no title.
class VORLAT_EXPORT TableDataProviderBase : public ITableDataProvider {
public:
    TableDataProviderBase() = default;
    TableDataProviderBase(const TableDataProviderBase&) = default;
    TableDataProviderBase& operator=(const TableDataProviderBase&) = default;
    ~TableDataProviderBase() override;

    int GetRowCount() const override;
    int GetColumnCount() const override;
    // NotChemistry.
    ChemistryCell IsChemistryCell(int row, int column) override;
    // The empty value.
    boost::any GetCellData(int row, int column) override;
    bool SetCellData(int row, int column, const boost::any& value) override;
    bool InsertRows(int row, int count) override;
    bool DeleteRows(int row, int count) override;
    bool InsertColumns(int column, int count) override;
    bool DeleteColumns(int column, int count) override;
    std::wstring GetCellInfoText(int row, int column) override;
    // The 1-based row number.
    std::wstring GetRowTitle(int row) override;
    std::wstring GetColumnTitle(int column) override;
    bool SetRowTitle(int row, const std::wstring& title) override;
    bool SetColumnTitle(int column, const std::wstring& title) override;
    CheckState GetCellCheckState(int row, int column) override;
    bool SetCellCheckState(int row, int column, CheckState state) override;
    // A short name of the cell's kind: "int", "float", "double", "text",
    // "structure", "" for no value, else the C++ type name.
    std::string GetCellDataType(int row, int column) override;
    // The type of the value that GetCellData returns for the cell
    // (typeid(void) for an empty value).
    const std::type_info& GetCellDataTypeId(int row, int column) const override;
    bool IsCellEditable(int row, int column) override;
};

} // namespace Host
