// Structures of SD records as other toolkits read them: bonds made up only
// where a record gives 3D coordinates and no bonds, aromatic bonds with their
// ring hydrogens, flat records embedded in 3D.

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chem/Atom.h"
#include "chem/ChemDoc.h"
#include "chem/Importer.h"
#include "chem/MolUtilities.h"
#include "chem/Molecule.h"
#include "molecule/SdFixtures.h"

namespace {

Chem::Molecule* MoleculeOf(const boost::any& cell)
{
    Chem::ChemDoc* document = boost::any_cast<Chem::ChemDoc*>(cell);
    Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
    return static_cast<Chem::Molecule*>(molecules.GetNext());
}

std::string StructureOf(const std::string& record)
{
    VorlatTest::SdFile sd(record + "$$$$\n");
    return Chem::MoleculeToSmiles(MoleculeOf(sd.provider.GetCellData(0, 0)));
}

struct Position {
    double x, y, z;
};

std::vector<Position> Positions(Chem::Molecule* molecule)
{
    std::vector<Position> positions;
    Chem::DescendentIterator atoms(molecule, Chem::Atom3d::classType, false, false);
    while (Chem::Object* atom = atoms.GetNext()) {
        Position p{};
        static_cast<Chem::Atom3d*>(atom)->GetPosition(p.x, p.y, p.z);
        positions.push_back(p);
    }
    return positions;
}

double Distance(const Position& a, const Position& b)
{
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Sodium methoxide as RDKit writes it in 3D, its bonds taken out and the
// sodium 2.2 A from the oxygen (closer than their covalent radii allow).
const char* const MethoxideWithoutBonds =
    "\n     RDKit          3D\n\n"
    "  6  0  0  0  0  0  0  0  0  0999 V2000\n"
    "   -0.0632    0.0027   -0.0197 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "    1.3194   -0.1563   -0.0973 O   0  0  0  0  0  1  0  0  0  0  0  0\n"
    "    3.5194   -0.1563    0.0027 Na  0  0  0  0  0 15  0  0  0  0  0  0\n"
    "   -0.3440   -0.1699    1.0441 H   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "   -0.2920    1.0518   -0.3047 H   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "   -0.6202   -0.7283   -0.6224 H   0  0  0  0  0  0  0  0  0  0  0  0\n"
    "M  CHG  2   2  -1   3   1\n"
    "M  END\n";

std::string Molfile(const std::vector<std::string>& atoms, const std::vector<std::string>& bonds,
                    const std::string& extra = "")
{
    char counts[64];
    std::snprintf(counts, sizeof counts, "%3zu%3zu  0  0  0  0  0  0  0  0999 V2000\n", atoms.size(), bonds.size());
    std::string text = "\n  test\n\n" + std::string(counts);
    // Coordinates, then the element symbol in its three columns.
    for (const std::string& atom : atoms) {
        const std::string symbol = atom.substr(31);
        text += atom.substr(0, 31) + symbol + std::string(3 - symbol.size(), ' ') + " 0  0  0  0  0  0  0  0  0  0  0  0\n";
    }
    for (const std::string& bond : bonds)
        text += bond + "\n";
    return text + extra + "M  END\n";
}

} // namespace

TEST(SDStructures, BondsAreMadeUpOnlyFor3DRecordsAndNeverToIons)
{
    // A flat drawing of a salt, and two oxygens beside a potassium drawn
    // close together: pieces, as drawn.
    EXPECT_EQ(StructureOf(Molfile({"    0.0000    0.0000    0.0000 Na",
                                   "    1.0000    0.0000    0.0000 Cl"},
                                  {}, "M  CHG  2   1   1   2  -1\n")),
              "[Cl-].[Na+]");
    EXPECT_EQ(StructureOf(Molfile({"    0.0000    0.0000    0.0000 O", "    1.2000    0.0000    0.0000 O",
                                   "    0.6000    1.0000    0.0000 K"},
                                  {})),
              "O.O.[KH]");
    // In 3D the methoxide gets its bonds from the distances, its hydrogens
    // from the file (no implicit ones) and the sodium stays an ion.
    EXPECT_EQ(StructureOf(MethoxideWithoutBonds), "C[O-].[Na+]");
}

TEST(SDStructures, AromaticBondsGiveRingNitrogensTheirHydrogen)
{
    // Pyrrole and imidazole drawn with aromatic bonds (type 4), as some
    // programs write them, read as other toolkits read them.
    const std::vector<std::string> ring = {"    0.0000    1.1400    0.0000 N", "    1.0800    0.3500    0.0000 C",
                                           "    0.6700   -0.9200    0.0000 C", "   -0.6700   -0.9200    0.0000 C",
                                           "   -1.0800    0.3500    0.0000 C"};
    const std::vector<std::string> bonds = {"  1  2  4  0", "  2  3  4  0", "  3  4  4  0", "  4  5  4  0",
                                            "  5  1  4  0"};
    EXPECT_EQ(StructureOf(Molfile(ring, bonds)), "c1cc[nH]c1");
    std::vector<std::string> imidazole = ring;
    imidazole[2] = "    0.6700   -0.9200    0.0000 N";
    const std::string read = StructureOf(Molfile(imidazole, bonds));
    EXPECT_TRUE(read == "c1c[nH]cn1" || read == "c1cnc[nH]1") << read;
    // A pyridinium drawn the same way keeps the charge the file gives.
    const std::vector<std::string> six = {"    0.0000    1.4000    0.0000 N", "    1.2100    0.7000    0.0000 C",
                                          "    1.2100   -0.7000    0.0000 C", "    0.0000   -1.4000    0.0000 C",
                                          "   -1.2100   -0.7000    0.0000 C", "   -1.2100    0.7000    0.0000 C",
                                          "    0.0000    2.9000    0.0000 C"};
    EXPECT_EQ(StructureOf(Molfile(six,
                                  {"  1  2  4  0", "  2  3  4  0", "  3  4  4  0", "  4  5  4  0", "  5  6  4  0",
                                   "  6  1  4  0", "  1  7  1  0"},
                                  "M  CHG  1   1   1\n")),
              "C[n+]1ccccc1");
}

TEST(SDStructures, FlatRecordsAreEmbeddedWithTheirHydrogens)
{
    // Cyclohexanol, flat: after embedding every bond has a carbon-carbon or
    // carbon-oxygen length, no two atoms clash, and the molecule keeps its
    // seven atoms (the hydrogens that helped place them are gone).
    const std::string flat = Molfile({"    1.2990    0.7500    0.0000 C", "    0.0000    1.5000    0.0000 C",
                                      "   -1.2990    0.7500    0.0000 C", "   -1.2990   -0.7500    0.0000 C",
                                      "    0.0000   -1.5000    0.0000 C", "    1.2990   -0.7500    0.0000 C",
                                      "    2.5981    1.5000    0.0000 O"},
                                     {"  1  2  1  0", "  2  3  1  0", "  3  4  1  0", "  4  5  1  0", "  5  6  1  0",
                                      "  6  1  1  0", "  1  7  1  0"});
    Chem::Importer::SetConvert2DMoleculesTo3D(true);
    VorlatTest::SdFile sd(flat + "$$$$\n");
    Chem::Molecule* molecule = MoleculeOf(sd.provider.GetCellData(0, 0));
    Chem::Importer::SetConvert2DMoleculesTo3D(false);
    ASSERT_EQ(molecule->GetAtomCount(), 7);
    EXPECT_TRUE(molecule->HasProperty("3DMol"));
    EXPECT_EQ(Chem::MoleculeToSmiles(molecule), "OC1CCCCC1");
    const std::vector<Position> p = Positions(molecule);
    const int bonded[][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}, {0, 6}};
    for (const auto& bond : bonded) {
        EXPECT_GT(Distance(p[bond[0]], p[bond[1]]), 1.35);
        EXPECT_LT(Distance(p[bond[0]], p[bond[1]]), 1.60);
    }
    for (int i = 0; i < 6; ++i)
        EXPECT_GT(Distance(p[i], p[(i + 3) % 6]), 2.5) << i; // a chair, not a collapsed ring
}
