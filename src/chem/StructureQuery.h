#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "host/Export.h"

namespace Chem {

class Molecule;

// A structure to look for in molecules: a SMARTS pattern that a molecule
// contains (a substructure search), or a SMILES that a molecule is (the
// same canonical SMILES, hydrogens implied).
class VORLAT_EXPORT StructureQuery {
public:
    enum class Kind { Substructure, Exact };

    // Throws std::invalid_argument when the text is no SMARTS (Substructure)
    // or SMILES (Exact).
    StructureQuery(const std::string& text, Kind kind);
    ~StructureQuery();
    StructureQuery(const StructureQuery&) = delete;
    StructureQuery& operator=(const StructureQuery&) = delete;

    // Whether the molecule matches; false for none or an empty one.
    bool Matches(const Molecule* molecule) const;
    // The same for a molecule given as SMILES (a CSV cell); false when the
    // text is no SMILES.
    bool MatchesSmiles(const std::string& smiles) const;

    enum class Answer { No, Yes, Unreadable };
    // A substructure search in an SD record's text ([record, record + size),
    // its molfile up to "M  END" read as the toolkit's own SD reader reads
    // it: sanitized, hydrogens implied); a record whose counts line has
    // fewer atoms than the pattern is not read at all. Unreadable when the
    // toolkit cannot read the molfile, or for an exact structure: the caller
    // then asks Matches with the record's structure. Several threads may
    // call it at once; it leaves the toolkit's logs alone (see
    // ToolkitLogsOff).
    Answer MatchesSdRecord(const char* record, std::size_t size) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_Impl;
};

} // namespace Chem
