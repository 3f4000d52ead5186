#pragma once

#include <string>

#include "host/Export.h"

namespace Chem {

class Molecule;

// A molfile of the molecule as the toolkit writes it (V2000 where the
// molecule fits in it), from its first line (the name given) to "M  END"
// and a line end; 2D coordinates are computed for a molecule without any.
// "" for no molecule or an empty one.
VORLAT_EXPORT std::string MoleculeToMolBlock(const Molecule* molecule, const std::string& name);
// The same for a molecule given as SMILES; "" when the text is no SMILES.
VORLAT_EXPORT std::string SmilesToMolBlock(const std::string& smiles, const std::string& name);

} // namespace Chem
