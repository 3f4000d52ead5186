#pragma once

#include "host/Export.h"

namespace Chem {

class Molecule;

// Options the importers share, for the whole process.
class VORLAT_EXPORT Importer {
public:
    // Whether flat (2D) molecules are given 3D coordinates when records are
    // read; false at start.
    static bool GetConvert2DMoleculesTo3D();
    static void SetConvert2DMoleculesTo3D(bool convert);
};

// Gives a molecule 3D coordinates by distance-geometry embedding (ETKDG) with
// a fixed random seed, so that the same molecule always gets the same
// coordinates.
class VORLAT_EXPORT Clean2dTo3d {
public:
    void SetApplyTo(Molecule* molecule) { m_Molecule = molecule; }
    // False when the molecule could not be embedded; its coordinates are then
    // left as they were.
    bool Clean();

private:
    Molecule* m_Molecule = nullptr;
};

} // namespace Chem
