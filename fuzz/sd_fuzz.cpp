// SDDataProvider on the input through both streams: every cell of every row,
// structure cells included, with and without held data items.
#include <sstream>
#include <string>

#include <boost/shared_ptr.hpp>

#include "FuzzTables.h"
#include "host/Exception.h"
#include "host/IProgressMonitor.h"
#include "host/StdInputStream.h"
#include "molecule/SDDataProvider.h"

namespace {

class Provider : public VorlatImportExport::SDDataProvider {
public:
    Provider(std::istream& file, boost::shared_ptr<Host::InputStream> input, Host::IProgressMonitor& monitor)
        : SDDataProvider(file, input, monitor)
    {
    }
    bool Reindex(int held, Host::IProgressMonitor& monitor)
    {
        SetPropertyCacheSize(held);
        return Initialize(monitor);
    }
};

} // namespace

// Every record of a small input; parsing structures is the slow part, so a
// large input is read in its first records only.
const int MoleculeRows = 64;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::istringstream file(text), scanned(text);
    Host::NullProgressMonitor monitor;
    try {
        Provider provider(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
        ReadEveryCell(provider, MoleculeRows);
        if (provider.Reindex(1, monitor)) {
            provider.SetCacheSize(size % 3);
            ReadEveryCell(provider, MoleculeRows);
        }
    } catch (const Host::Exception&) {
    }
    return 0;
}
