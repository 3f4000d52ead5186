// CsvDataProvider on the input: every cell and every row's values.
#include <sstream>
#include <string>
#include <vector>

#include "FuzzTables.h"
#include "host/Exception.h"
#include "text/CsvDataProvider.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    std::istringstream stream(std::string(reinterpret_cast<const char*>(data), size));
    try {
        VorlatImportExport::CsvDataProvider provider(stream, 7);
        ReadEveryCell(provider);
        std::vector<std::string> values;
        for (int row = 0; row < provider.GetRowCount() && row < 2000; ++row)
            provider.GetRowValues(row, values);
        provider.GetColumnTitles(values);
    } catch (const Host::Exception&) {
    }
    return 0;
}
