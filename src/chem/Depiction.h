#pragma once

#include <string>

#include "host/Export.h"

namespace Chem {

class Molecule;

// A 2D drawing of the molecule as an SVG element (no XML declaration), for
// inline use in a page; "" for no molecule or when it cannot be drawn.
// Coordinates are computed when the molecule has none or 3D ones.
VORLAT_EXPORT std::string MoleculeToSvg(const Molecule* molecule, int width, int height);
// The same for a molecule given as SMILES; "" when the text is no SMILES.
VORLAT_EXPORT std::string SmilesToSvg(const std::string& smiles, int width, int height);
// The same drawings as PNG images (the bytes of the file); "" as above.
VORLAT_EXPORT std::string MoleculeToPng(const Molecule* molecule, int width, int height);
VORLAT_EXPORT std::string SmilesToPng(const std::string& smiles, int width, int height);

} // namespace Chem
