#pragma once

#include <string>

#include "chem/CTextArchiveParser.h"
#include "chem/Object.h"
#include "host/IProgressMonitor.h"

namespace Chem {

// Reads one record of a Tripos Mol2 file (from its "@<TRIPOS>MOLECULE" line)
// into a document's root as one molecule: the name line becomes its name,
// the property blocks ("@<ZENTROVA>MOL_PROPERTY") its user properties. The
// structure is read from the ATOM and BOND sections, with the charges,
// hydrogens and stereo the SYBYL types and the coordinates imply; a
// structure the toolkit cannot sanitize is kept as read, so that it still
// shows.
class VORLAT_EXPORT ImportTripos {
public:
    ImportTripos();
    ~ImportTripos();

    // False, and nothing added, when the record has no readable ATOM section.
    bool Import(CTextArchiveParser& parser, Object* root, Host::IProgressMonitor& monitor);

    // Whether the file's writer records formal charges (UNITY_ATOM_ATTR
    // sections): then the records' atoms have exactly the charges recorded,
    // none where none is, and the atom types are not asked. Otherwise a
    // record's charges come from its own section when it has one, else from
    // its atom types and bond pattern.
    void SetFormalChargesRecorded(bool recorded) { m_FormalChargesRecorded = recorded; }

private:
    bool m_FormalChargesRecorded = false;
};

// A Mol2 record's shown name: its name line trimmed; an empty one becomes
// "Molecule-" and the record number counted from 1.
VORLAT_EXPORT std::string FixMoleculeName(const std::string& name, int record);

// A Mol2 record's index text: the record number counted from 0.
VORLAT_EXPORT std::string GenerateMoleculeIndex(int record);

} // namespace Chem
