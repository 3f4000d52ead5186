#pragma once

// The toolkit's side of a Molecule. Included only by the molecule model's
// own sources: it brings in RDKit.

#include <memory>

#include <GraphMol/RWMol.h>

#include "chem/Molecule.h"

namespace Chem {
namespace detail {

struct MoleculeImpl {
    RDKit::RWMol mol;
};

inline RDKit::RWMol& Toolkit(const Molecule& molecule) { return molecule.Impl().mol; }

} // namespace detail
} // namespace Chem
