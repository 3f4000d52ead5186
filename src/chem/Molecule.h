#pragma once

#include <memory>
#include <string>
#include <vector>

#include "chem/Object.h"

namespace Chem {

namespace detail {
struct MoleculeImpl;
}

// A molecule of a document: its atoms and bonds (held by the cheminformatics
// toolkit), its name, and its properties. Its children are its atoms
// (Atom3d), then its bonds (Bond).
class VORLAT_EXPORT Molecule : public Object {
public:
    static const int classType;

    Molecule();
    ~Molecule() override;

    int GetClassType() const override;
    std::size_t GetChildCount() override;
    Object* GetChild(std::size_t index) override;

    // The molecule's name (the title line of its record).
    const std::string& GetName() const { return m_Name; }
    void SetName(const std::string& name) { m_Name = name; }

    // "Name" (the molecule's name), and "3DMol" when its coordinates are 3D.
    int GetIntrinsicProperties(ObjectProperty::Array& array) const;
    // The first user property of that name, else the intrinsic one, else "".
    std::string GetStringProperty(const std::string& name) const;
    // Sets the first user property of that name, or adds one.
    void SetStringProperty(const std::string& name, const std::string& value);
    // Removes every user property of that name.
    void DeleteProperty(const std::string& name);
    // A user or an intrinsic property of that name exists.
    bool HasProperty(const std::string& name) const override;

    // Whether the molecule holds objects of the class (Atom3d::classType or
    // Bond::classType).
    bool HasObjectsOfClass(int classType) const;
    // The measure that tells whether a record holds a structure: the number
    // of atoms.
    double GetMeasure() const;
    int GetAtomCount() const;
    int GetBondCount() const;

    // Replaces this molecule's structure, name and properties with a copy of
    // other's.
    void CopyFrom(const Molecule& other);

    // For the molecule model's own code: the toolkit's molecule.
    detail::MoleculeImpl& Impl() const { return *m_Impl; }
    // Call after the structure changed, so that the children are made anew.
    void StructureChanged();

private:
    void BuildChildren();

    std::string m_Name;
    std::unique_ptr<detail::MoleculeImpl> m_Impl;
    std::vector<std::unique_ptr<Object>> m_Children;
    bool m_ChildrenBuilt = false;
};

} // namespace Chem
