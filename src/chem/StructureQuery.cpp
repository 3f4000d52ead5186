#include "chem/StructureQuery.h"

#include <stdexcept>
#include <string_view>

#include <GraphMol/FileParsers/FileParsers.h>

#include <GraphMol/MolOps.h>
#include <GraphMol/SmilesParse/SmilesParse.h>
#include <GraphMol/SmilesParse/SmilesWrite.h>
#include <GraphMol/Substruct/SubstructMatch.h>

#include "chem/MolUtilities.h"
#include "chem/Molecule.h"
#include "chem/detail/MoleculeImpl.h"
#include "chem/detail/QuietToolkit.h"
#include "host/CfxLocalizationEnabler.h"

namespace Chem {

struct StructureQuery::Impl {
    Kind kind = Kind::Substructure;
    std::unique_ptr<RDKit::ROMol> pattern;
    std::string canonical; // Exact: the query's canonical SMILES

    bool Contains(const RDKit::ROMol& mol) const
    {
        // A pattern with more atoms than the molecule cannot match: no
        // search for most molecules when the pattern is large.
        if (mol.getNumAtoms() < pattern->getNumAtoms())
            return false;
        RDKit::MatchVectType match;
        return RDKit::SubstructMatch(mol, *pattern, match);
    }
};

StructureQuery::StructureQuery(const std::string& text, Kind kind) : m_Impl(new Impl)
{
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    m_Impl->kind = kind;
    try {
        if (kind == Kind::Substructure)
            m_Impl->pattern.reset(RDKit::SmartsToMol(text));
        else
            m_Impl->pattern.reset(RDKit::SmilesToMol(text));
    } catch (const std::exception&) {
        m_Impl->pattern.reset();
    }
    if (!m_Impl->pattern || m_Impl->pattern->getNumAtoms() == 0)
        throw std::invalid_argument("\"" + text + "\" is no " + (kind == Kind::Substructure ? "SMARTS" : "SMILES") +
                                    " the toolkit can read");
    if (kind == Kind::Exact)
        m_Impl->canonical = RDKit::MolToSmiles(*m_Impl->pattern);
}

StructureQuery::~StructureQuery() = default;

bool StructureQuery::Matches(const Molecule* molecule) const
{
    if (!molecule || molecule->GetAtomCount() == 0)
        return false;
    if (m_Impl->kind == Kind::Exact)
        return MoleculeToSmiles(molecule) == m_Impl->canonical;
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    RDKit::RWMol& mol = detail::Toolkit(*molecule);
    try {
        // Ring queries need the molecule's rings; a record read without
        // them gets them here (nothing else of it changes).
        if (!mol.getRingInfo()->isInitialized())
            RDKit::MolOps::fastFindRings(mol);
        return m_Impl->Contains(mol);
    } catch (const std::exception&) {
        return false;
    }
}

bool StructureQuery::MatchesSmiles(const std::string& smiles) const
{
    if (smiles.empty())
        return false;
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    detail::QuietToolkit quiet;
    try {
        const std::unique_ptr<RDKit::ROMol> mol(RDKit::SmilesToMol(smiles));
        if (!mol)
            return false;
        if (m_Impl->kind == Kind::Exact)
            return RDKit::MolToSmiles(*mol) == m_Impl->canonical;
        return m_Impl->Contains(*mol);
    } catch (const std::exception&) {
        return false;
    }
}

StructureQuery::Answer StructureQuery::MatchesSdRecord(const char* record, std::size_t size) const
{
    if (m_Impl->kind != Kind::Substructure)
        return Answer::Unreadable;
    const std::string_view text(record, size);
    // The molfile: up to the line that begins with "M  END".
    std::size_t end = text.compare(0, 6, "M  END") == 0 ? 0 : text.find("\nM  END");
    if (end == std::string_view::npos)
        return Answer::Unreadable;
    end = text.find('\n', end + 1);
    const std::string_view molfile = text.substr(0, end == std::string_view::npos ? size : end + 1);
    // The counts line (the fourth) tells the atoms, hydrogens included.
    std::size_t line = 0;
    for (int k = 0; k < 3 && line != std::string_view::npos; ++k) {
        const std::size_t lineEnd = molfile.find('\n', line);
        line = lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd + 1;
    }
    if (line != std::string_view::npos && molfile.size() >= line + 3 && molfile.find("V3000", line) == std::string_view::npos) {
        int atoms = 0;
        bool digits = false;
        for (std::size_t i = line; i < line + 3; ++i) {
            if (molfile[i] >= '0' && molfile[i] <= '9') {
                atoms = atoms * 10 + (molfile[i] - '0');
                digits = true;
            }
        }
        if (digits && static_cast<unsigned>(atoms) < m_Impl->pattern->getNumAtoms())
            return Answer::No;
    }
    Host::CfxLocalizationEnabler numericConventions(0, "C");
    try {
        const std::unique_ptr<RDKit::ROMol> mol(RDKit::MolBlockToMol(std::string(molfile), true, true, true));
        if (!mol)
            return Answer::Unreadable;
        return m_Impl->Contains(*mol) ? Answer::Yes : Answer::No;
    } catch (const std::exception&) {
        return Answer::Unreadable;
    }
}

} // namespace Chem
