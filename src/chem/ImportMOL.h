#pragma once

#include "chem/CTextArchiveParser.h"
#include "chem/Object.h"

namespace Chem {

// Reads one record of an SD file (a V2000 or V3000 molfile, then its data
// items, up to "$$$$") into a document's root as one molecule: the title line
// becomes its name, the data items its user properties in file order.
class VORLAT_EXPORT ImportMOL {
public:
    ImportMOL();
    ~ImportMOL();

    // true: read only the name and the data items, build no atoms.
    void SetOnlyPropertiesFlag(bool onlyProperties) { m_OnlyProperties = onlyProperties; }

    // Adds the record's molecule to root (a document's tree root). A
    // structure the toolkit cannot fully sanitize (odd valences, aromaticity
    // it cannot kekulize) is kept with its atoms and bonds as read, sanitized
    // as far as it goes. False, and nothing added, when the text holds no
    // readable molfile (or is empty).
    bool ImportNextMolecule(CTextArchiveParser& parser, Object* root, void* reserved);

private:
    bool m_OnlyProperties = false;
};

} // namespace Chem
