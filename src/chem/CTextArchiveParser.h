#pragma once

#include <string>

#include "host/Export.h"

namespace Chem {

// Hands one record's text to an importer.
class VORLAT_EXPORT CTextArchiveParser {
public:
    explicit CTextArchiveParser(std::string text) : m_Text(std::move(text)) {}
    const std::string& GetText() const { return m_Text; }

private:
    std::string m_Text;
};

} // namespace Chem
