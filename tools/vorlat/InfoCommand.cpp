#include "CommandLine.h"

#include <iomanip>
#include <iostream>
#include <memory>

#include "host/StringConversion.h"

namespace vorlat {

namespace {

struct InfoOptions {
    std::string file;
    OpenOptions open;
};

int Info(const InfoOptions& options)
{
    const std::string& path = options.file;
    const TableFile file(path, options.open);
    Host::ITableDataProvider& table = *file.Table();
    std::cout << path << '\n'
              << "rows: " << table.GetRowCount() << '\n'
              << "columns: " << table.GetColumnCount() << '\n';
    for (int column = 0; column < table.GetColumnCount(); ++column)
        std::cout << "  " << column << "  " << Host::ToSString(table.GetColumnTitle(column)) << '\n';
    std::cout.precision(3);
    std::cout << "index time: " << std::fixed << file.IndexSeconds() << " s";
    if (file.IndexFromCache())
        std::cout << " (loaded from the saved index " << file.SavedIndexPath() << ")";
    else if (!file.SavedIndexPath().empty())
        std::cout << " (indexed; saved to " << file.SavedIndexPath() << ")";
    std::cout << '\n';
    if (file.Compressed()) {
        std::cout << "compressed: gzip, decompressed while indexed";
        const auto [points, bytes] = file.ResumePoints();
        if (points > 0)
            std::cout << "; " << points << " places to resume decompression from (" << std::setprecision(1)
                      << static_cast<double>(bytes) / (1 << 20) << " MiB)";
        std::cout << '\n';
    }
    std::cout.flush();
    if (!std::cout)
        throw UserError("could not write the output");
    return 0;
}

} // namespace

Command AddInfoCommand(CLI::App& app)
{
    const auto options = std::make_shared<InfoOptions>();
    CLI::App* command = app.add_subcommand("info", "Print a file's row count, column titles and index time");
    AddFileOptions(command, options->file, options->open);
    return {command, [options] { return Info(*options); }};
}

} // namespace vorlat
