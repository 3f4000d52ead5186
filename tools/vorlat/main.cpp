// vorlat: opens a table file (CSV, Quenbar, SD, Mol2) the way the library
// shows it to the application, and prints, queries or exports it. Each
// subcommand lives in a file of its own (ShowCommand.cpp, ...); this file
// parses the command line and turns failures into one line on standard
// error.

#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "CommandLine.h"
#include "TableFile.h"
#include "chem/Toolkit.h"
#include "host/Exception.h"
#include "index/IndexOptions.h"

namespace {

std::string VersionText()
{
    return std::string("vorlat ") + VORLAT_VERSION + " (RDKit " + Chem::ToolkitVersion() + ")";
}

} // namespace

int main(int argc, char** argv)
{
    // Display widths of wide text need a UTF-8 character classification;
    // numbers are read independently of the locale.
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::ios::sync_with_stdio(false);

    CLI::App app{"Opens CSV, SD, Mol2 and Quenbar files as tables, as the VorlatImportExport library shows them."};
    app.set_version_flag("--version", VersionText());
    app.require_subcommand(1);
    int threads = 0;
    app.add_option("--threads", threads,
                   "Threads that index a file, given before the subcommand (default: one per processor, at most 8)")
        ->check(CLI::Range(1, 64));
    const std::vector<vorlat::Command> commands{vorlat::AddShowCommand(app), vorlat::AddInfoCommand(app),
                                                 vorlat::AddQueryCommand(app), vorlat::AddFilterCommand(app),
                                                 vorlat::AddGroupCommand(app), vorlat::AddExportCommand(app)};

    try {
        app.parse(argc, argv);
    } catch (const CLI::ExtrasError& error) {
        // An option mistyped: name the one meant, when one is close.
        for (const CLI::App* command : app.get_subcommands()) {
            for (const std::string& extra : command->remaining()) {
                const std::string suggestion = vorlat::ClosestOption(*command, extra);
                if (!suggestion.empty()) {
                    std::cerr << "vorlat: unknown option " << extra << "; did you mean " << suggestion << "?\n";
                    return 2;
                }
            }
        }
        return app.exit(error) == 0 ? 0 : 2;
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? 0 : 2;
    }

    if (threads > 0)
        VorlatImportExport::IndexOptions::SetThreadCount(threads);
    try {
        for (const vorlat::Command& command : commands)
            if (command.app->parsed())
                return command.run();
    } catch (const vorlat::UserError& error) {
        std::cerr << "vorlat: " << error.what() << '\n';
        return 1;
    } catch (const Host::Exception& error) {
        std::cerr << "vorlat: " << error.what() << '\n';
        return 1;
    } catch (const std::exception& error) {
        std::cerr << "vorlat: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
