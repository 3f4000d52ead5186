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

// Sanitizes the molecule (a copy to be dropped when this fails); on failure
// gives the atoms the toolkit could not kekulize (none for other failures).
bool TrySanitize(RDKit::RWMol& mol, std::vector<unsigned>& failed)
{
    failed.clear();
    try {
        RDKit::MolOps::sanitizeMol(mol);
    } catch (const RDKit::KekulizeException& e) {
        failed = e.getAtomIndices();
        return false;
    } catch (const RDKit::AtomKekulizeException& e) {
        failed.push_back(e.getAtomIdx());
        return false;
    } catch (const std::exception&) {
        return false;
    }
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

// Whether one of the atoms holds an oxygen or sulfur by a double bond
// outside the ring: a ring nitrogen beside it is a lactam's.
bool NextToRingCarbonyl(const RDKit::RWMol& mol, const std::vector<unsigned>& neighbors)
{
    for (unsigned index : neighbors)
        for (const RDKit::Bond* bond : mol.atomBonds(mol.getAtomWithIdx(index))) {
            const unsigned element = bond->getOtherAtom(mol.getAtomWithIdx(index))->getAtomicNum();
            if (bond->getBondType() == RDKit::Bond::DOUBLE && !Aromatic(bond) && (element == 8 || element == 16))
                return true;
        }
    return false;
}

// How much a ring nitrogen looks protonated: how much wider its ring angle
// is than the regular polygon's (in degrees), plus 400 times its shorter
// ring bond (in angstroms). A pyrrole-like nitrogen opens its angle and has
// no double bond in any alternating form, so both its bonds stay long; a
// pyridine-like one has a short bond. Together they tell the two apart
// where either alone does not. Beside a ring carbonyl the nitrogen gets a
// little more, as lactams carry the hydrogen there: that decides flat
// drawings, whose regular rings tell nothing. 0 without coordinates.
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
    return angle + 400.0 * std::min(a.length(), b.length()) + (NextToRingCarbonyl(mol, ends) ? 3.0 : 0.0);
}

// Supplies one missing nitrogen charge (and, when hydrogens are allowed and
// asked for, hydrogen) in the ring system; false when there is none to
// supply.
bool RepairRingSystem(RDKit::RWMol& mol, const std::vector<unsigned>& system, const RingRepairs& repairs,
                      bool hydrogens)
{
    const std::vector<double>& partial = repairs.partialCharges;
    const bool partialGiven = partial.size() == mol.getNumAtoms();
    RDKit::Atom* hydrogenTaker = nullptr;
    double likeliest = -1;
    RDKit::Atom* cation = nullptr;
    double cationScore = 0;
    RDKit::Atom* anion = nullptr;
    double anionScore = 0;
    for (unsigned index : system) {
        RDKit::Atom* atom = mol.getAtomWithIdx(index);
        if (atom->getAtomicNum() != 7 || atom->getFormalCharge() != 0)
            continue;
        const unsigned hydrogenCount = HydrogenCount(mol, atom);
        const unsigned connections = atom->getDegree() + atom->getNumExplicitHs();
        const double charge = partialGiven ? partial[index] : 0;
        if (connections == 2 && hydrogenCount == 0) {
            const double score = ProtonationScore(mol, atom);
            if (hydrogens && score > likeliest + 0.5) {
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
            const double score = partialGiven ? charge : hydrogenCount > 0 ? 1 : 0;
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

bool Contains(const std::vector<unsigned>& sorted, unsigned index)
{
    return std::binary_search(sorted.begin(), sorted.end(), index);
}

// Whether every atom of the ring system that the file marked aromatic is
// aromatic once sanitized.
bool KeepsAromaticity(const RDKit::RWMol& sanitized, const std::vector<unsigned>& system,
                      const std::vector<bool>& marked)
{
    for (unsigned index : system)
        if (marked[index] && !sanitized.getAtomWithIdx(index)->getIsAromatic())
            return false;
    return true;
}

// Gives the ring system the hydrogens it needs on its nitrogens: one, two,
// three, then four of them together, the likeliest combinations first. A
// combination is right when the molecule then sanitizes with the system
// aromatic, as the file marked it, or fails only in another ring system.
// False, and the molecule unchanged, when none is.
bool GiveRingHydrogens(RDKit::RWMol& mol, const std::vector<unsigned>& system, const std::vector<bool>& marked)
{
    std::vector<std::pair<double, unsigned>> candidates;
    for (unsigned index : system) {
        const RDKit::Atom* atom = mol.getAtomWithIdx(index);
        if (atom->getAtomicNum() == 7 && atom->getFormalCharge() == 0 &&
            atom->getDegree() + atom->getNumExplicitHs() == 2 && HydrogenCount(mol, atom) == 0)
            candidates.emplace_back(ProtonationScore(mol, atom), index);
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
        std::fill(chosen.begin(), chosen.begin() + static_cast<std::ptrdiff_t>(count), true);
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
            const auto addHydrogens = [&](RDKit::RWMol& to) {
                for (unsigned index : combination.second) {
                    RDKit::Atom* atom = to.getAtomWithIdx(index);
                    atom->setNumExplicitHs(atom->getNumExplicitHs() + 1);
                }
            };
            RDKit::RWMol sanitized(mol);
            addHydrogens(sanitized);
            const bool whole = TrySanitize(sanitized, failed);
            const bool elsewhere = !whole && !failed.empty() && !Contains(system, failed.front());
            if ((whole && KeepsAromaticity(sanitized, system, marked)) || elsewhere) {
                addHydrogens(mol);
                return true;
            }
        }
    }
    return false;
}

} // namespace

bool SanitizeWithRingRepairs(std::unique_ptr<RDKit::RWMol>& sanitizing, const RingRepairs& repairs)
{
    RDKit::RWMol& mol = *sanitizing;
    std::vector<bool> marked(mol.getNumAtoms(), false);
    for (const RDKit::Atom* atom : mol.atoms())
        marked[atom->getIdx()] = atom->getIsAromatic();

    // Ring systems whose hydrogens were looked for: they get charges, or are
    // taken as they sanitize, after that.
    std::vector<std::vector<unsigned>> searched;
    const auto firstSearch = [&](const std::vector<unsigned>& system) {
        if (std::find(searched.begin(), searched.end(), system) != searched.end())
            return false;
        searched.push_back(system);
        return true;
    };
    std::vector<unsigned> failed;
    // Each round supplies at least one hydrogen or charge: a molecule has
    // no more of them than atoms.
    for (unsigned round = 0; round <= mol.getNumAtoms(); ++round) {
        std::unique_ptr<RDKit::RWMol> copy(new RDKit::RWMol(mol));
        RDKit::RWMol& sanitized = *copy;
        if (TrySanitize(sanitized, failed)) {
            // A ring system that needs several hydrogens (a purinone, a
            // thiopurine) may alternate without them, but then it is no
            // longer aromatic, which the file said it is.
            std::vector<unsigned> lost;
            for (const RDKit::Atom* atom : sanitized.atoms())
                if (marked[atom->getIdx()] && !atom->getIsAromatic())
                    lost.push_back(atom->getIdx());
            if (repairs.hydrogens && !lost.empty()) {
                const std::vector<unsigned> system = AromaticSystem(mol, {lost.front()});
                if (firstSearch(system) && GiveRingHydrogens(mol, system, marked))
                    continue;
            }
            sanitizing = std::move(copy);
            return true;
        }
        if (failed.empty())
            break;
        const std::vector<unsigned> system = AromaticSystem(mol, failed);
        // Hydrogens before charges: a neutral ring before an ion.
        if (repairs.hydrogens && firstSearch(system) && GiveRingHydrogens(mol, system, marked))
            continue;
        if (!RepairRingSystem(mol, system, repairs, repairs.hydrogens))
            break;
    }
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
