#pragma once

// The structure of a Tripos Mol2 record, read from its ATOM and BOND
// sections. Included only by the molecule model's own sources: it brings in
// RDKit.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <GraphMol/RWMol.h>

namespace Chem {
namespace detail {

// The molecule of one record's lines (from its "@<TRIPOS>MOLECULE" line to
// the next record, property blocks left out); null when the record has no readable atom. The formal
// charges are those of the record's UNITY_ATOM_ATTR section when it has one
// or when formalChargesRecorded says its file's writer records them (a
// record without the section is then neutral).
//
// The SYBYL atom types and the bond pattern give what the file leaves
// unsaid: otherwise the formal charges (N.4 ammonium, nitro groups and N-oxides, the
// delocalized O.co2 groups of carboxylates, phosphates and sulfonates,
// C.cat guanidinium and amidinium, azides), the bond orders behind "ar"
// bonds, and the hydrogens of atoms the record lists none for: a record that
// lists hydrogens on carbon lists them all, one that lists them on other
// atoms only (polar hydrogens) lists all of theirs, and one without any
// lists none. Where the types leave a choice (an acid or its anion, which
// ring nitrogen carries the hydrogen), the sum of the record's partial
// charges, when given, decides the net charge, and a protonated ring
// nitrogen is known by its wider ring angle. Stereo is taken from 3D
// coordinates. Lone pairs and dummy atoms are left out, and so are "nc"
// (not connected) bonds.
std::unique_ptr<RDKit::RWMol> ReadTriposStructure(const std::vector<std::string_view>& lines,
                                                  bool formalChargesRecorded);

} // namespace detail
} // namespace Chem
