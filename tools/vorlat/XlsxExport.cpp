#include "Export.h"

#include <iostream>
#include <string>
#include <algorithm>
#include <charconv>
#include <cmath>

#include <xlsxwriter.h>

#include "CommandLine.h"
#include "Expression.h"
#include "TableFile.h"
#include "chem/ChemDoc.h"
#include "chem/Depiction.h"
#include "host/StringConversion.h"

namespace vorlat {

namespace {

// A picture's size in pixels, and the cell it sits in (Excel's column
// width is in characters of about 7 pixels, row height in points).
const int PictureWidth = 200;
const int PictureHeight = 150;
const double PictureColumnWidth = PictureWidth / 7.0 + 1;
const double PictureRowHeight = PictureHeight * 0.75 + 2;
// Rows a sheet holds below its title row.
const std::size_t MostSheetRows = 1048575;

// The file's workbook, closed (and written) once, or on the way out.
class Workbook {
public:
    explicit Workbook(const std::string& path)
    {
        lxw_workbook_options options = {};
        options.constant_memory = LXW_TRUE; // rows go to disk as they are written
        m_Book = workbook_new_opt(path.c_str(), &options);
        if (!m_Book)
            throw UserError("cannot write " + path);
    }
    ~Workbook()
    {
        if (m_Book)
            workbook_close(m_Book);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;
    lxw_workbook* Get() const { return m_Book; }
    void Close(const std::string& path)
    {
        const lxw_error error = workbook_close(m_Book);
        m_Book = nullptr;
        if (error != LXW_NO_ERROR)
            throw UserError("cannot write " + path + ": " + lxw_strerror(error));
    }

private:
    lxw_workbook* m_Book = nullptr;
};

// A cell's text as the sheet takes it: valid UTF-8, at most 32767 characters.
std::string SheetText(const std::wstring& text)
{
    std::string utf8 = Host::ToSString(text);
    // Bytes that are no UTF-8 would make the file unreadable.
    std::string clean;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        const int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        bool valid = length > 0 && i + static_cast<std::size_t>(length) <= utf8.size();
        for (int k = 1; valid && k < length; ++k)
            valid = (static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]) & 0xC0) == 0x80;
        if (valid && (c >= 0x20 || c == '\t' || c == '\n' || c == '\r'))
            clean.append(utf8, i, static_cast<std::size_t>(length));
        else
            clean += valid ? " " : "\xEF\xBF\xBD";
        i += valid ? static_cast<std::size_t>(length) : 1;
    }
    if (clean.size() > 32767)
        clean.resize(32767);
    return clean;
}

} // namespace

void ExportXlsx(const std::string& path, const TableSlice& slice)
{
    Host::ITableDataProvider& table = slice.table;
    // A table of SMILES gets pictures in its SMILES column; SD and Mol2
    // tables in their structure cells.
    const bool structures = HoldsStructures(table);
    const int smiles = structures ? -1 : FindSmilesColumn(table);
    Workbook book(path);
    lxw_worksheet* sheet = workbook_add_worksheet(book.Get(), nullptr);
    lxw_format* bold = workbook_add_format(book.Get());
    format_set_bold(bold);
    worksheet_freeze_panes(sheet, 1, 0);

    bool pictures = false;
    for (std::size_t j = 0; j < slice.columns.size(); ++j) {
        const int column = slice.columns[j];
        const bool drawn = column == smiles ||
                           (!slice.rows.empty() && table.GetCellData(slice.rows.front(), column).type() ==
                                                       typeid(Chem::ChemDoc*)) ||
                           (column == 0 && structures);
        pictures = pictures || drawn;
        if (drawn)
            worksheet_set_column(sheet, static_cast<lxw_col_t>(j), static_cast<lxw_col_t>(j), PictureColumnWidth,
                                 nullptr);
        worksheet_write_string(sheet, 0, static_cast<lxw_col_t>(j), SheetText(table.GetColumnTitle(column)).c_str(),
                               bold);
    }
    const std::size_t rows = std::min(slice.rows.size(), MostSheetRows);
    if (rows < slice.rows.size())
        std::cerr << "vorlat: a sheet holds " << MostSheetRows << " rows; the first " << rows << " of "
                  << slice.rows.size() << " are written to " << path << "\n";
    for (std::size_t i = 0; i < rows; ++i) {
        slice.RowReached(i);
        const lxw_row_t sheetRow = static_cast<lxw_row_t>(i + 1);
        if (pictures)
            worksheet_set_row(sheet, sheetRow, PictureRowHeight, nullptr);
        for (std::size_t j = 0; j < slice.columns.size(); ++j) {
            const int column = slice.columns[j];
            const lxw_col_t sheetColumn = static_cast<lxw_col_t>(j);
            const boost::any value = table.GetCellData(slice.rows[i], column);
            std::string png;
            if (value.type() == typeid(Chem::ChemDoc*)) {
                png = Chem::MoleculeToPng(CellMolecule(value), PictureWidth, PictureHeight);
                // The cell keeps the SMILES as its text, under the picture.
                worksheet_write_string(sheet, sheetRow, sheetColumn, SheetText(CellText(value)).c_str(), nullptr);
            } else {
                // A number as its text shows it: a float's 180.16 is the
                // double 180.16, not 180.1600036621094.
                double number = 0;
                const bool numeric = CellNumber(value, number);
                const std::string text = value.empty() ? std::string() : Host::ToSString(CellText(value));
                const auto read = std::from_chars(text.data(), text.data() + text.size(), number);
                if (numeric && read.ec == std::errc() && read.ptr == text.data() + text.size() && std::isfinite(number))
                    worksheet_write_number(sheet, sheetRow, sheetColumn, number, nullptr);
                else if (!value.empty())
                    worksheet_write_string(sheet, sheetRow, sheetColumn, SheetText(CellText(value)).c_str(), nullptr);
                if (column == smiles && !value.empty())
                    png = Chem::SmilesToPng(Host::ToSString(CellText(value)), PictureWidth, PictureHeight);
            }
            if (!png.empty()) {
                // The writer copies the picture: nothing is kept per row.
                lxw_image_options options = {};
                options.x_offset = 2;
                options.y_offset = 2;
                options.object_position = LXW_OBJECT_MOVE_AND_SIZE;
                worksheet_insert_image_buffer_opt(sheet, sheetRow, sheetColumn,
                                                  reinterpret_cast<const unsigned char*>(png.data()), png.size(),
                                                  &options);
            }
        }
    }
    book.Close(path);
}

} // namespace vorlat
