#include "chem/detail/Sanitize.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <memory>
#include <set>
#include <vector>

#include <GraphMol/Conformer.h>
#include <GraphMol/MolOps.h>
#include <GraphMol/SanitException.h>

namespace Chem {
namespace detail {

namespace {

bool Aromatic(const RDKit::Bond* bond) { return bond->getIsAromatic() || bond->getBondType() == RDKit::Bond::AROMATIC; }

// Sanitizes a copy and keeps it when that succeeds; otherwise gives the atoms
// the toolkit could not kekulize (none for other failures).
bool TrySanitize(RDKit::RWMol& mol, std::vector<unsigned>& failed)
{
    failed.clear();
    RDKit::RWMol trial(mol);
    try {
        RDKit::MolOps::sanitizeMol(trial);
    } catch (const RDKit::KekulizeException& e) {
        failed = e.getAtomIndices();
        return false;
    } catch (const RDKit::AtomKekulizeException& e) {
        failed.push_back(e.getAtomIdx());
        return false;
    } catch (const std::exception&) {
        return false;
    }
    mol = trial;
    return true;
}

// The atoms joined to the given ones through aromatic bonds.
std::vector<unsigned> AromaticSystem(const RDKit::RWMol& mol, const std::vector<unsigned>& seeds)
{
    std::set<unsigned> seen;
    std::vector<unsigned> pending;
    for (unsigned index : seeds)
        if (index < mol.getNumAtoms() && seen.insert(index).second)
            pending.push_back(index);
    while (!pending.empty()) {
        const unsigned index = pending.back();
        pending.pop_back();
        for (const RDKit::Bond* bond : mol.atomBonds(mol.getAtomWithIdx(index))) {
            const unsigned other = bond->getOtherAtomIdx(index);
            if (Aromatic(bond) && seen.insert(other).second)
                pending.push_back(other);
        }
    }
    return std::vector<unsigned>(seen.begin(), seen.end());
}

unsigned HydrogenCount(const RDKit::RWMol& mol, const RDKit::Atom* atom)
{
    unsigned count = atom->getNumExplicitHs();
    for (const RDKit::Atom* neighbor : mol.atomNeighbors(atom))
        if (neighbor->getAtomicNum() == 1)
            ++count;
    return count;
}

// The size of the smallest ring through the atom and its first two aromatic
// bonds: one more than the shortest aromatic path between those two
// neighbours that avoids the atom. 0 when there is none.
unsigned SmallestRing(const RDKit::RWMol& mol, unsigned atom, unsigned from, unsigned to)
{
    std::vector<int> distance(mol.getNumAtoms(), -1);
    std::vector<unsigned> queue{from};
    distance[from] = 0;
    distance[atom] = 0; // not to be passed
    for (std::size_t next = 0; next < queue.size(); ++next) {
        const unsigned current = queue[next];
        if (current == to)
            return static_cast<unsigned>(distance[current]) + 2;
        for (const RDKit::Bond* bond : mol.atomBonds(mol.getAtomWithIdx(current))) {
            const unsigned other = bond->getOtherAtomIdx(current);
            if (Aromatic(bond) && distance[other] < 0) {
                distance[other] = distance[current] + 1;
                queue.push_back(other);
            }
        }
    }
    return 0;
}

// How much a ring nitrogen looks protonated: how much wider its ring angle
// is than the regular polygon's (in degrees), plus 400 times its shorter
// ring bond (in angstroms). A pyrrole-like nitrogen opens its angle and has
// no double bond in any alternating form, so both its bonds stay long; a
// pyridine-like one has a short bond. Together they tell the two apart
// where either alone does not. 0 without coordinates.
double ProtonationScore(const RDKit::RWMol& mol, const RDKit::Atom* atom)
{
    if (mol.getNumConformers() == 0)
        return 0;
    std::vector<unsigned> ends;
    for (const RDKit::Bond* bond : mol.atomBonds(atom))
        if (Aromatic(bond))
            ends.push_back(bond->getOtherAtomIdx(atom->getIdx()));
    if (ends.size() < 2)
        return 0;
    const RDKit::Conformer& conformer = mol.getConformer();
    const RDGeom::Point3D center = conformer.getAtomPos(atom->getIdx());
    RDGeom::Point3D a = conformer.getAtomPos(ends[0]) - center;
    RDGeom::Point3D b = conformer.getAtomPos(ends[1]) - center;
    const double lengths = a.length() * b.length();
    if (lengths <= 0)
        return 0;
    double angle = std::acos(std::max(-1.0, std::min(1.0, a.dotProduct(b) / lengths))) * 180.0 / M_PI;
    const unsigned ring = SmallestRing(mol, atom->getIdx(), ends[0], ends[1]);
    if (ring >= 3)
        angle -= 180.0 - 360.0 / ring;
    return angle + 400.0 * std::min(a.length(), b.length());
}

// Supplies one missing nitrogen hydrogen or charge in the ring system of the
// given atoms; false when there is none to supply.
bool RepairRingSystem(RDKit::RWMol& mol, const std::vector<unsigned>& failed, const RingRepairs& repairs)
{
    const std::vector<double>& partial = repairs.partialCharges;
    const bool partialGiven = partial.size() == mol.getNumAtoms();
    RDKit::Atom* hydrogenTaker = nullptr;
    double likeliest = -1;
    RDKit::Atom* cation = nullptr;
    double cationScore = 0;
    RDKit::Atom* anion = nullptr;
    double anionScore = 0;
    for (unsigned index : AromaticSystem(mol, failed)) {
        RDKit::Atom* atom = mol.getAtomWithIdx(index);
        if (atom->getAtomicNum() != 7 || atom->getFormalCharge() != 0)
            continue;
        const unsigned hydrogens = HydrogenCount(mol, atom);
        const unsigned connections = atom->getDegree() + atom->getNumExplicitHs();
        const double charge = partialGiven ? partial[index] : 0;
        if (connections == 2 && hydrogens == 0) {
            const double score = ProtonationScore(mol, atom);
            if (repairs.hydrogens && score > likeliest + 0.5) {
                likeliest = score;
                hydrogenTaker = atom;
            }
            // Without partial charges the first such nitrogen.
            if (repairs.charges && (!anion || -charge > anionScore)) {
                anion = atom;
                anionScore = -charge;
            }
        } else if (connections == 3 && repairs.charges) {
            // Without partial charges a protonated nitrogen before an
            // alkylated one.
            const double score = partialGiven ? charge : hydrogens > 0 ? 1 : 0;
            if (!cation || score > cationScore) {
                cation = atom;
                cationScore = score;
            }
        }
    }
    if (hydrogenTaker) {
        hydrogenTaker->setNumExplicitHs(hydrogenTaker->getNumExplicitHs() + 1);
        return true;
    }
    if (cation) {
        cation->setFormalCharge(1);
        return true;
    }
    if (anion) {
        anion->setFormalCharge(-1);
        return true;
    }
    return false;
}

// Whether every atom the file marked aromatic is aromatic once sanitized.
bool KeepsAromaticity(const RDKit::RWMol& mol, const std::vector<unsigned>& marked)
{
    for (unsigned index : marked)
        if (!mol.getAtomWithIdx(index)->getIsAromatic())
            return false;
    return true;
}

// Tries hydrogens on one, two, three, then four of the marked ring
// nitrogens together, the likeliest combinations first; takes the first that
// sanitizes and keeps the marked atoms aromatic.
bool SearchRingHydrogens(RDKit::RWMol& mol, const RDKit::RWMol& original, const std::vector<unsigned>& marked)
{
    std::vector<std::pair<double, unsigned>> candidates;
    for (unsigned index : marked) {
        const RDKit::Atom* atom = original.getAtomWithIdx(index);
        if (atom->getAtomicNum() == 7 && atom->getFormalCharge() == 0 &&
            atom->getDegree() + atom->getNumExplicitHs() == 2 && HydrogenCount(original, atom) == 0)
            candidates.emplace_back(ProtonationScore(original, atom), index);
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const auto& a, const auto& b) { return a.first > b.first; });
    const std::size_t considered = std::min<std::size_t>(candidates.size(), 10);
    unsigned tries = 0;
    std::vector<unsigned> failed;
    for (std::size_t count = 1; count <= std::min<std::size_t>(considered, 4); ++count) {
        // Every combination of that many, by their summed scores.
        std::vector<std::pair<double, std::vector<unsigned>>> combinations;
        std::vector<bool> chosen(considered, false);
        std::fill(chosen.begin(), chosen.begin() + count, true);
        do {
            double score = 0;
            std::vector<unsigned> atoms;
            for (std::size_t i = 0; i < considered; ++i)
                if (chosen[i]) {
                    score += candidates[i].first;
                    atoms.push_back(candidates[i].second);
                }
            combinations.emplace_back(score, atoms);
        } while (std::prev_permutation(chosen.begin(), chosen.end()));
        std::stable_sort(combinations.begin(), combinations.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        for (const auto& combination : combinations) {
            if (++tries > 256)
                return false;
            RDKit::RWMol trial(original);
            for (unsigned index : combination.second) {
                RDKit::Atom* atom = trial.getAtomWithIdx(index);
                atom->setNumExplicitHs(atom->getNumExplicitHs() + 1);
            }
            if (TrySanitize(trial, failed) && KeepsAromaticity(trial, marked)) {
                mol = trial;
                return true;
            }
        }
    }
    return false;
}

} // namespace

bool SanitizeWithRingRepairs(RDKit::RWMol& mol, const RingRepairs& repairs)
{
    std::vector<unsigned> marked;
    for (const RDKit::Atom* atom : mol.atoms())
        if (atom->getIsAromatic())
            marked.push_back(atom->getIdx());
    std::unique_ptr<RDKit::RWMol> original;
    if (repairs.hydrogens && !marked.empty())
        original.reset(new RDKit::RWMol(mol));

    std::vector<unsigned> failed;
    bool sanitized = false;
    // Each round supplies one hydrogen or charge: a molecule has no more of
    // them than nitrogens.
    for (unsigned round = 0; round <= mol.getNumAtoms(); ++round) {
        if (TrySanitize(mol, failed)) {
            sanitized = true;
            break;
        }
        if (failed.empty() || !RepairRingSystem(mol, failed, repairs))
            break;
    }
    // A ring system that needs several hydrogens (a purinone, a thiopurine)
    // may alternate without them, but then it is no longer aromatic, which
    // the file said it is: such hydrogens are found together.
    if (original && !(sanitized && KeepsAromaticity(mol, marked)) && SearchRingHydrogens(mol, *original, marked))
        return true;
    if (sanitized)
        return true;
    SanitizeWhatCan(mol);
    return false;
}

void SanitizeWhatCan(RDKit::RWMol& mol)
{
    mol.updatePropertyCache(false);
    const unsigned int steps[] = {
        RDKit::MolOps::SANITIZE_CLEANUP,         RDKit::MolOps::SANITIZE_SYMMRINGS,
        RDKit::MolOps::SANITIZE_KEKULIZE,        RDKit::MolOps::SANITIZE_FINDRADICALS,
        RDKit::MolOps::SANITIZE_SETAROMATICITY,  RDKit::MolOps::SANITIZE_SETCONJUGATION,
        RDKit::MolOps::SANITIZE_SETHYBRIDIZATION, RDKit::MolOps::SANITIZE_CLEANUPCHIRALITY,
    };
    for (unsigned int step : steps) {
        RDKit::RWMol trial(mol);
        try {
            unsigned int failed = 0;
            RDKit::MolOps::sanitizeMol(trial, failed, step);
            mol = trial;
        } catch (const std::exception&) {
        }
    }
    if (!mol.getRingInfo()->isInitialized())
        RDKit::MolOps::fastFindRings(mol);
}

} // namespace detail
} // namespace Chem
