// The saved-index loaders of the CSV and Quenbar providers on any bytes:
// the input as a saved index as it is (damaged or hostile files), or as
// sections written with a right header and check value (so that what the
// providers check in the sections themselves is tried too). Opening must
// never crash and a table read from any of them must read every cell.
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include "FuzzTables.h"
#include "frame/OpenTableFile.h"
#include "index/SavedIndex.h"

namespace {

const char* const CsvText = "id,name,\"note\"\n1,Aspirin,\"a, b\"\n2,Caffeine,\"line\nbreak\"\n3,x,y\n";
const char* const QuenbarText = "string\tstring\nid\tname\n1\tAspirin\n2\tCaffeine\n";
// The keys the providers file their saved indexes under with default
// options; checked against what the providers write when the target starts.
const char* const CsvKey = "csv separator=44 titles=1 extra=0 block=1048576 comment=";
const char* const QuenbarKey = "quenbar";

struct Fixture {
    std::string folder = "/tmp/vorlat-fuzz-saved-" + std::to_string(::getpid());
    std::string csv = folder + "-data.csv";
    std::string quenbar = folder + "-data.txt";
    std::string index = folder + ".index";
    VorlatImportExport::FileFingerprint csvPrint, quenbarPrint;

    Fixture()
    {
        std::ofstream(csv, std::ios::binary) << CsvText;
        std::ofstream(quenbar, std::ios::binary) << QuenbarText;
        if (!VorlatImportExport::FileFingerprint::Of(csv, csvPrint) ||
            !VorlatImportExport::FileFingerprint::Of(quenbar, quenbarPrint))
            std::abort();
        // The keys above must be the providers' own, or the target would
        // try nothing past the header.
        Check(csv, VorlatImportExport::TableFormat::Csv, 1, csvPrint, CsvKey);
        Check(quenbar, VorlatImportExport::TableFormat::Quenbar, 2, quenbarPrint, QuenbarKey);
    }
    void Check(const std::string& file, VorlatImportExport::TableFormat format, std::uint32_t kind,
               const VorlatImportExport::FileFingerprint& print, const char* key) const
    {
        VorlatImportExport::OpenTableOptions options;
        options.format = format;
        options.savedIndex = index;
        VorlatImportExport::OpenTableFile(file, options);
        VorlatImportExport::SavedIndexReader reader;
        if (!reader.Load(index, kind, print, key))
            std::abort();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    static const Fixture fixture;
    if (size == 0)
        return 0;
    const int mode = data[0] % 4;
    const bool quenbar = mode >= 2;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (mode % 2 == 0) {
        std::ofstream(fixture.index, std::ios::binary | std::ios::trunc) << rest;
    } else {
        // Sections: a tag byte, a length byte, that many bytes.
        VorlatImportExport::SavedIndexWriter writer(quenbar ? 2 : 1, quenbar ? fixture.quenbarPrint : fixture.csvPrint,
                                                    quenbar ? QuenbarKey : CsvKey);
        for (std::size_t at = 0; at + 2 <= rest.size();) {
            const std::size_t length = std::min<std::size_t>(static_cast<unsigned char>(rest[at + 1]) * 4, rest.size() - at - 2);
            writer.Add(static_cast<unsigned char>(rest[at]) % 6, rest.data() + at + 2, length);
            at += 2 + length;
        }
        writer.WriteTo(fixture.index);
    }
    VorlatImportExport::OpenTableOptions options;
    options.format = quenbar ? VorlatImportExport::TableFormat::Quenbar : VorlatImportExport::TableFormat::Csv;
    options.savedIndex = fixture.index;
    try {
        const auto table = VorlatImportExport::OpenTableFile(quenbar ? fixture.quenbar : fixture.csv, options);
        ReadEveryCell(*table);
    } catch (const std::exception&) {
        // Only what the plain file would throw; it throws nothing.
        std::abort();
    }
    return 0;
}
