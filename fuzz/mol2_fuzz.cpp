// Mol2DataProvider on the input through both streams: every cell of every
// row, structure cells included, and every record read on its own.
#include <sstream>
#include <string>

#include <boost/shared_ptr.hpp>

#include "FuzzTables.h"
#include "chem/ChemDoc.h"
#include "host/Exception.h"
#include "host/IProgressMonitor.h"
#include "host/StdInputStream.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SDMoleculeInfo.h"

// Every record of a small input; parsing structures is the slow part, so a
// large input is read in its first records only.
const int MoleculeRows = 64;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream file(text), scanned(text);
    Host::NullProgressMonitor monitor;
    try {
        VorlatImportExport::Mol2DataProvider provider(
            file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
        ReadEveryCell(provider, MoleculeRows);
        for (int record = -1; record <= provider.GetRowCount() && record < 50; ++record) {
            VorlatImportExport::SDMoleculeInfo* molecule = provider.ReadMolecule(record);
            if (molecule) {
                molecule->GetNumProperties();
                delete molecule->GetChemDoc();
                delete molecule;
            }
        }
    } catch (const Host::Exception&) {
    }
    return 0;
}
