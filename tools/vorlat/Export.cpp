#include "Export.h"

#include "CommandLine.h"

#include "TableFile.h"
#include "chem/ChemDoc.h"
#include "chem/Depiction.h"
#include "host/StringConversion.h"
#include "host/TableDataProviderUtilities.h"

namespace vorlat {

namespace {

const int DrawingWidth = 220;
const int DrawingHeight = 160;

// Text for the page: valid UTF-8, markup characters escaped.
std::string Escape(const std::wstring& text)
{
    std::wstring clean;
    clean.reserve(text.size());
    for (wchar_t c : text) {
        const auto code = static_cast<unsigned long>(c);
        clean += (code >= 0xD800 && code <= 0xDFFF) ? L'\uFFFD' : c;
    }
    std::string out;
    for (char c : Host::ToSString(clean)) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string Structure(const boost::any& value)
{
    return Chem::MoleculeToSvg(CellMolecule(value), DrawingWidth, DrawingHeight);
}

const char* const Style = R"(<style>
body { font-family: system-ui, sans-serif; margin: 1.5em; color: #222; }
h1 { font-size: 1.3em; margin: 0 0 .2em; }
p.size { color: #555; margin: 0 0 1em; }
table { border-collapse: collapse; }
th, td { border: 1px solid #ccc; padding: 4px 8px; vertical-align: middle; }
th { background: #f2f4f7; cursor: pointer; position: sticky; top: 0; user-select: none; }
th.asc::after { content: " \25B2"; }
th.desc::after { content: " \25BC"; }
td.num { text-align: right; font-variant-numeric: tabular-nums; }
td.row { color: #777; text-align: right; }
td.mol { padding: 0; background: #fff; }
td.mol svg { display: block; }
td.mol .smiles { font-size: .75em; color: #555; padding: 0 .4em .3em; word-break: break-all; }
</style>
)";

const char* const Script = R"(<script>
(function () {
  var body = document.body;
  window.addEventListener('error', function () { body.dataset.errors = String(Number(body.dataset.errors) + 1); });
  var table = document.getElementById('table');
  var heads = table.tHead.rows[0].cells;
  function key(cell) {
    var v = cell.getAttribute('data-v');
    return v === null ? { number: false, text: cell.textContent } : { number: true, value: parseFloat(v) };
  }
  function sortBy(index, descending) {
    var rows = Array.prototype.slice.call(table.tBodies[0].rows);
    rows.sort(function (a, b) {
      var x = key(a.cells[index]), y = key(b.cells[index]), r;
      if (x.number && y.number) r = x.value - y.value;
      else if (x.number) r = -1;
      else if (y.number) r = 1;
      else r = x.text < y.text ? -1 : (x.text > y.text ? 1 : 0);
      return descending ? -r : r;
    });
    rows.forEach(function (row) { table.tBodies[0].appendChild(row); });
    for (var i = 0; i < heads.length; i++) heads[i].className = i === index ? (descending ? 'desc' : 'asc') : '';
  }
  Array.prototype.forEach.call(heads, function (head, i) {
    head.addEventListener('click', function () { sortBy(i, head.className === 'asc'); });
  });
  var wanted = /^#sort=(\d+)(-desc)?$/.exec(location.hash);
  if (wanted && Number(wanted[1]) < heads.length) sortBy(Number(wanted[1]), !!wanted[2]);
  body.dataset.ready = '1';
})();
</script>
)";

} // namespace

void ExportHtml(std::ostream& out, const TableSlice& slice, const std::string& fileName, int rowCount, int columnCount,
                bool limited)
{
    Host::ITableDataProvider& table = slice.table;
    const std::string name = Escape(Host::ToWString(fileName));
    out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" << name
        << "</title>\n"
        << Style << "</head>\n<body data-errors=\"0\">\n<h1>" << name << "</h1>\n<p class=\"size\">" << rowCount
        << (rowCount == 1 ? " row, " : " rows, ") << columnCount << " columns";
    if (slice.rows.size() != static_cast<std::size_t>(rowCount))
        out << " (" << slice.rows.size() << " shown" << (limited ? "; vorlat export --rows writes others" : "") << ")";
    out << "</p>\n<table id=\"table\">\n<thead><tr><th>#</th>";
    for (int column : slice.columns)
        out << "<th>" << Escape(table.GetColumnTitle(column)) << "</th>";
    out << "</tr></thead>\n<tbody>\n";
    // A table of SMILES shows its SMILES column drawn, the text below.
    const int smiles = HoldsStructures(table) ? -1 : FindSmilesColumn(table);
    for (std::size_t i = 0; i < slice.rows.size(); ++i) {
        slice.RowReached(i);
        const int row = slice.rows[i];
        out << "<tr><td class=\"row num\" data-v=\"" << row + 1 << "\">" << Escape(slice.RowTitle(i)) << "</td>";
        for (int column : slice.columns) {
            const boost::any value = table.GetCellData(row, column);
            if (value.type() == typeid(Chem::ChemDoc*)) {
                out << "<td class=\"mol\">" << Structure(value) << "</td>";
            } else if (column == smiles && !value.empty()) {
                const std::wstring text = CellText(value);
                out << "<td class=\"mol\">" << Chem::SmilesToSvg(Host::ToSString(text), DrawingWidth, DrawingHeight)
                    << "<div class=\"smiles\">" << Escape(text) << "</div></td>";
            } else if (Host::TableDataProviderUtilities::IsNumeric(value)) {
                const std::string text = Escape(CellText(value));
                out << "<td class=\"num\" data-v=\"" << text << "\">" << text << "</td>";
            } else {
                out << "<td>" << Escape(CellText(value)) << "</td>";
            }
        }
        out << "</tr>\n";
    }
    out << "</tbody>\n</table>\n" << Script << "</body>\n</html>\n";
}

} // namespace vorlat
