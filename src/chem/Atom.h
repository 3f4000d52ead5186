#pragma once

#include "chem/Object.h"

namespace Chem {

class Molecule;

class VORLAT_EXPORT Atom : public Object {
public:
    // Gives a molecule that has atoms with 3D coordinates and no bonds single
    // bonds between the atoms closer than the sum of their covalent radii
    // (plus 0.45 A), nearest pairs first, as long as neither atom has all
    // the bonds its element (and charge) allows: a hydrogen gets one. Metals
    // and charged halogens stay unbonded ions. Flat (2D) drawings are left
    // alone: atoms drawn close together there are not bonded. When the
    // molecule lists hydrogen atoms it lists them all: its atoms get no
    // implicit hydrogens. A molecule that has bonds is left alone.
    static void ConstructBonds(Molecule* molecule);
};

// An atom of a molecule with its position.
class VORLAT_EXPORT Atom3d : public Atom {
public:
    static const int classType;

    Atom3d(const Molecule& owner, unsigned index) : m_Owner(owner), m_Index(index) {}
    int GetClassType() const override;

    // The atom's coordinates; 0 when the molecule has none.
    void GetPosition(double& x, double& y, double& z) const;
    int GetAtomicNumber() const;

private:
    const Molecule& m_Owner;
    unsigned m_Index;
};

// A bond of a molecule.
class VORLAT_EXPORT Bond : public Object {
public:
    static const int classType;

    Bond(const Molecule& owner, unsigned index) : m_Owner(owner), m_Index(index) {}
    int GetClassType() const override;

    const Molecule& GetOwner() const { return m_Owner; }
    // The bond's number in its molecule.
    unsigned GetIndex() const { return m_Index; }

private:
    const Molecule& m_Owner;
    unsigned m_Index;
};

} // namespace Chem
