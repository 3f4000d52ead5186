// QuenbarDataProvider on the input: every cell, and indexing again.
#include <sstream>
#include <string>

#include "FuzzTables.h"
#include "host/Exception.h"
#include "text/QuenbarDataProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    try {
        VorlatImportExport::QuenbarDataProvider provider(stream);
        ReadEveryCell(provider);
        provider.InitDataProvider();
        ReadEveryCell(provider);
    } catch (const Host::Exception&) {
    }
    return 0;
}
