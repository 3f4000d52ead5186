#pragma once

// The toolkit's side of a Molecule. Included only by the molecule model's
// own sources: it brings in RDKit.

#include <memory>

#include <GraphMol/RWMol.h>

#include "chem/Molecule.h"

namespace Chem {
namespace detail {

// The toolkit's molecule is held by pointer and replaced whole: the
// toolkit's own move operations are not relied on.
struct MoleculeImpl {
    std::unique_ptr<RDKit::RWMol> mol{new RDKit::RWMol};
};

inline RDKit::RWMol& Toolkit(const Molecule& molecule) { return *molecule.Impl().mol; }

} // namespace detail
} // namespace Chem
