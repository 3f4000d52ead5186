#include "molecule/SDImportOptions.h"

namespace VorlatImportExport {

bool SDImportOptions::m_TDMSortPropertiesOnImport = false;

bool SDImportOptions::GetSortPropertiesOnImport() { return m_TDMSortPropertiesOnImport; }

void SDImportOptions::SetSortPropertiesOnImport(bool sort) { m_TDMSortPropertiesOnImport = sort; }

} // namespace VorlatImportExport
