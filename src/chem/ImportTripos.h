#pragma once

#include <string>

#include "chem/CTextArchiveParser.h"
#include "chem/Object.h"
#include "host/IProgressMonitor.h"

namespace Chem {

// Reads one record of a Tripos Mol2 file (from its "@<TRIPOS>MOLECULE" line)
// into a document's root as one molecule: the name line becomes its name,
// the property blocks ("@<ZENTROVA>MOL_PROPERTY") its user properties. The
// structure is read by the toolkit; a record it refuses (atom types or
// charges it does not expect) is read from its ATOM and BOND sections
// directly (element from the SYBYL type, coordinates, bond orders 1, 2, 3,
// ar, am), unsanitized, so that the structure still shows.
class VORLAT_EXPORT ImportTripos {
public:
    ImportTripos();
    ~ImportTripos();

    // False, and nothing added, when the record has no readable ATOM section.
    bool Import(CTextArchiveParser& parser, Object* root, Host::IProgressMonitor& monitor);
};

// A Mol2 record's shown name: its name line trimmed; an empty one becomes
// "Molecule-" and the record number counted from 1.
VORLAT_EXPORT std::string FixMoleculeName(const std::string& name, int record);

// A Mol2 record's index text: the record number counted from 0.
VORLAT_EXPORT std::string GenerateMoleculeIndex(int record);

} // namespace Chem
