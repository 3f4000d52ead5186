// The saved-index loaders of the CSV, Quenbar, SD and Mol2 providers on any
// bytes: the input as a saved index as it is (damaged or hostile files), or
// as sections written with a right header and check value (so that what the
// providers check in the sections themselves is tried too): for CSV and
// Quenbar sections made of the input, for SD and Mol2 the sections of the
// provider's own saved index with bytes changed and sections cut as the
// input says. Opening must never crash and a table read from any of them
// must read every cell.
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>
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
const char* const MoleculesKey = "molecules held=1046527 sort=0";
const char* const SdText = "first\n  x\n\n  1  0  0  0  0  0  0  0  0  0999 V2000\n"
                           "    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\nM  END\n"
                           "> <id>\n7\n\n> <note>\ntwo\nlines\n\n$$$$\n"
                           "\n  x\n\n  1  0  0  0  0  0  0  0  0  0999 V2000\n"
                           "    0.0000    0.0000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\nM  END\n"
                           "> <Index>\n2\n\n> <id>\n8.5\n\n> <Name>\nwater\n\n$$$$\n";
const char* const Mol2Text = "@<TRIPOS>MOLECULE\nethane\n2 1 0 0 0\nSMALL\nUSER_CHARGES\n\n@<TRIPOS>ATOM\n"
                             "1 C1 0.0 0.0 0.0 C.3 1 UNL1 0.1\n2 C2 1.5 0.0 0.0 C.3 1 UNL1 -0.1\n"
                             "@<TRIPOS>BOND\n1 1 2 1\n"
                             "@<TRIPOS>MOLECULE\nmethane\n1 0 0 0 0\nSMALL\nNO_CHARGES\n\n@<TRIPOS>ATOM\n"
                             "1 C1 0.0 0.0 0.0 C.3 1 UNL1 0.0\n";
// The sections an SD or Mol2 provider writes for a file indexed on one
// thread: its columns, offsets and counts, the held items' counts and names,
// and their one segment.
const std::uint32_t MoleculeTags[] = {1,     2,     3,     0x100, 0x101, 0x110, 0x111, 0x112,
                                     0x113, 0x114, 0x115, 0x116, 0x117, 0x118, 0x119};

struct Sections {
    std::vector<std::uint32_t> tags;
    std::vector<std::string> bytes;
};

struct Fixture {
    std::string folder = "/tmp/vorlat-fuzz-saved-" + std::to_string(::getpid());
    std::string csv = folder + "-data.csv";
    std::string quenbar = folder + "-data.txt";
    std::string sd = folder + "-data.sdf";
    std::string mol2 = folder + "-data.mol2";
    std::string index = folder + ".index";
    VorlatImportExport::FileFingerprint csvPrint, quenbarPrint, sdPrint, mol2Print;
    Sections sdSections, mol2Sections;

    Fixture()
    {
        std::ofstream(csv, std::ios::binary) << CsvText;
        std::ofstream(quenbar, std::ios::binary) << QuenbarText;
        std::ofstream(sd, std::ios::binary) << SdText;
        std::ofstream(mol2, std::ios::binary) << Mol2Text;
        if (!VorlatImportExport::FileFingerprint::Of(csv, csvPrint) ||
            !VorlatImportExport::FileFingerprint::Of(quenbar, quenbarPrint) ||
            !VorlatImportExport::FileFingerprint::Of(sd, sdPrint) || !VorlatImportExport::FileFingerprint::Of(mol2, mol2Print))
            std::abort();
        // The keys and tags above must be the providers' own, or the target
        // would try nothing past the header.
        Check(csv, VorlatImportExport::TableFormat::Csv, 1, csvPrint, CsvKey);
        Check(quenbar, VorlatImportExport::TableFormat::Quenbar, 2, quenbarPrint, QuenbarKey);
        sdSections = Check(sd, VorlatImportExport::TableFormat::Sd, 3, sdPrint, MoleculesKey, true);
        mol2Sections = Check(mol2, VorlatImportExport::TableFormat::Mol2, 4, mol2Print, MoleculesKey, true);
    }
    Sections Check(const std::string& file, VorlatImportExport::TableFormat format, std::uint32_t kind,
                   const VorlatImportExport::FileFingerprint& print, const char* key, bool molecules = false) const
    {
        VorlatImportExport::OpenTableOptions options;
        options.format = format;
        options.savedIndex = index;
        VorlatImportExport::OpenTableFile(file, options);
        VorlatImportExport::SavedIndexReader reader;
        if (!reader.Load(index, kind, print, key))
            std::abort();
        Sections sections;
        for (const std::uint32_t tag : MoleculeTags) {
            const char* data = nullptr;
            std::size_t length = 0;
            if (!molecules)
                break;
            if (!reader.Section(tag, data, length))
                std::abort();
            sections.tags.push_back(tag);
            sections.bytes.emplace_back(data, length);
        }
        return sections;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    static const Fixture fixture;
    if (size == 0)
        return 0;
    // 0, 1: CSV; 2, 3: Quenbar; 4, 5: SD; 6, 7: Mol2; even: raw bytes.
    const int mode = data[0] % 8;
    const bool quenbar = mode == 2 || mode == 3;
    const bool molecules = mode >= 4;
    const bool mol2 = mode >= 6;
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (mode % 2 == 0) {
        std::ofstream(fixture.index, std::ios::binary | std::ios::trunc) << rest;
    } else if (molecules) {
        // Edits of 4 bytes: a section, a place in it (two bytes) and a byte
        // to change it by; a section number above 127 cuts the section
        // there instead.
        Sections sections = mol2 ? fixture.mol2Sections : fixture.sdSections;
        for (std::size_t at = 0; at + 4 <= rest.size(); at += 4) {
            const unsigned char which = static_cast<unsigned char>(rest[at]);
            std::string& bytes = sections.bytes[(which & 127) % sections.bytes.size()];
            if (bytes.empty())
                continue;
            const std::size_t place = (static_cast<unsigned char>(rest[at + 1]) |
                                       static_cast<std::size_t>(static_cast<unsigned char>(rest[at + 2])) << 8) %
                                      bytes.size();
            if (which & 128)
                bytes.resize(place);
            else
                bytes[place] = static_cast<char>(bytes[place] ^ rest[at + 3]);
        }
        VorlatImportExport::SavedIndexWriter writer(mol2 ? 4 : 3, mol2 ? fixture.mol2Print : fixture.sdPrint,
                                                    MoleculesKey);
        for (std::size_t k = 0; k < sections.tags.size(); ++k)
            writer.Add(sections.tags[k], sections.bytes[k]);
        writer.WriteTo(fixture.index);
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
    options.format = mol2        ? VorlatImportExport::TableFormat::Mol2
                     : molecules ? VorlatImportExport::TableFormat::Sd
                     : quenbar   ? VorlatImportExport::TableFormat::Quenbar
                                 : VorlatImportExport::TableFormat::Csv;
    options.savedIndex = fixture.index;
    try {
        const std::string& file = mol2 ? fixture.mol2 : molecules ? fixture.sd : quenbar ? fixture.quenbar : fixture.csv;
        const auto table = VorlatImportExport::OpenTableFile(file, options);
        ReadEveryCell(*table);
    } catch (const std::exception&) {
        // Only what the plain file would throw; it throws nothing.
        std::abort();
    }
    return 0;
}
