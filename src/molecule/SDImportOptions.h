#pragma once

#include "host/Export.h"

namespace VorlatImportExport {

// The one import option of the SD provider, for the whole process: sort the
// data-item columns of SD files by name. Read when a file is indexed.
class VORLAT_EXPORT SDImportOptions {
public:
    SDImportOptions() = default;
    ~SDImportOptions() = default;
    SDImportOptions& operator=(const SDImportOptions&) { return *this; }

    static bool GetSortPropertiesOnImport();
    static void SetSortPropertiesOnImport(bool sort);

    static bool m_TDMSortPropertiesOnImport;
};

} // namespace VorlatImportExport
