#pragma once

// Sanitization of structures read from files, shared by the importers.
// Included only by the molecule model's own sources: it brings in RDKit.

#include <memory>
#include <vector>

#include <GraphMol/RWMol.h>

namespace Chem {
namespace detail {

// Which repairs a file's aromatic rings may need before they can be written
// with alternating bonds.
struct RingRepairs {
    // The file gives no hydrogen counts for ring nitrogens (aromatic bonds in
    // a molfile, a Mol2 record without hydrogens): a two-connected one may
    // carry the hydrogen of a pyrrole or azole.
    bool hydrogens = false;
    // The file gives no formal charges for ring nitrogens: a three-connected
    // one may be a cation (pyridinium, N-oxide, imidazolium), a two-connected
    // one without hydrogen an anion (tetrazolate).
    bool charges = false;
    // The file's partial charges, one per atom, when it gives them: a cation
    // goes to the nitrogen with the highest, an anion to the one with the
    // lowest.
    std::vector<double> partialCharges;
};

// Sanitizes the structure, replacing it by its sanitized copy. When the
// toolkit cannot kekulize a ring system, or a system the file marked
// aromatic comes out otherwise, the nitrogen hydrogens the file left unsaid
// are looked for first (combinations of up to four, the nitrogens whose
// geometry looks protonated first: a wider ring angle, no short ring bond),
// then the charges, one at a time. True when the structure is then fully
// sanitized; otherwise every sanitization step that succeeds on its own is
// kept (see SanitizeWhatCan).
bool SanitizeWithRingRepairs(std::unique_ptr<RDKit::RWMol>& mol, const RingRepairs& repairs);

// Sanitizes step by step what can be: each operation is tried on a copy and
// kept when it succeeds, so that one failing step (kekulization, a valence)
// does not leave the molecule without ring information or hybridization.
void SanitizeWhatCan(RDKit::RWMol& mol);

} // namespace detail
} // namespace Chem
