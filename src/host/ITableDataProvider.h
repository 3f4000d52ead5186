#pragma once

#include <string>
#include <typeinfo>

#include <boost/any.hpp>

#include "host/Export.h"

namespace Host {

// Whether a cell holds a chemical structure.
enum ChemistryCell {
    IsChemistry = 1,
    NotChemistry = 2,
};

// Check marks of a cell; kept for the contract, unused by the providers.
enum CheckState {
    Unchecked = 0,
    Checked = 1,
    Indeterminate = 2,
};

// The table the host application shows asks its contents through this
// interface. Rows and columns are 0-based; titles are wide text; a cell value
// is a boost::any that is empty when the cell has no value.
class VORLAT_EXPORT ITableDataProvider {
public:
    virtual ~ITableDataProvider();

    virtual int GetRowCount() const = 0;
    virtual int GetColumnCount() const = 0;
    virtual ChemistryCell IsChemistryCell(int row, int column) = 0;
    virtual boost::any GetCellData(int row, int column) = 0;
    virtual bool SetCellData(int row, int column, const boost::any& value) = 0;
    virtual bool InsertRows(int row, int count) = 0;
    virtual bool DeleteRows(int row, int count) = 0;
    virtual bool InsertColumns(int column, int count) = 0;
    virtual bool DeleteColumns(int column, int count) = 0;
    virtual std::wstring GetCellInfoText(int row, int column) = 0;
    virtual std::wstring GetRowTitle(int row) = 0;
    virtual std::wstring GetColumnTitle(int column) = 0;
    virtual bool SetRowTitle(int row, const std::wstring& title) = 0;
    virtual bool SetColumnTitle(int column, const std::wstring& title) = 0;
    virtual CheckState GetCellCheckState(int row, int column) = 0;
    virtual bool SetCellCheckState(int row, int column, CheckState state) = 0;
    virtual std::string GetCellDataType(int row, int column) = 0;
    virtual const std::type_info& GetCellDataTypeId(int row, int column) const = 0;
    virtual bool IsCellEditable(int row, int column) = 0;
};

} // namespace Host
