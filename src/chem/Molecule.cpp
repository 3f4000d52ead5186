#include "chem/Molecule.h"

#include <algorithm>

#include <GraphMol/Conformer.h>

#include "chem/Atom.h"
#include "chem/detail/MoleculeImpl.h"

namespace Chem {

const int Molecule::classType = 1;

Molecule::Molecule() : m_Impl(new detail::MoleculeImpl) {}

Molecule::~Molecule() = default;

int Molecule::GetClassType() const { return classType; }

void Molecule::BuildChildren()
{
    if (m_ChildrenBuilt)
        return;
    m_Children.clear();
    const RDKit::RWMol& mol = *m_Impl->mol;
    for (unsigned i = 0; i < mol.getNumAtoms(); ++i)
        m_Children.emplace_back(new Atom3d(*this, i));
    for (unsigned i = 0; i < mol.getNumBonds(); ++i)
        m_Children.emplace_back(new Bond(*this, i));
    m_ChildrenBuilt = true;
}

void Molecule::StructureChanged()
{
    m_Children.clear();
    m_ChildrenBuilt = false;
}

std::size_t Molecule::GetChildCount()
{
    BuildChildren();
    return m_Children.size();
}

Object* Molecule::GetChild(std::size_t index)
{
    BuildChildren();
    return index < m_Children.size() ? m_Children[index].get() : nullptr;
}

int Molecule::GetIntrinsicProperties(ObjectProperty::Array& array) const
{
    array.Add(ObjectProperty("Name", m_Name));
    int count = 1;
    if (HasProperty("3DMol")) {
        array.Add(ObjectProperty("3DMol", "1"));
        ++count;
    }
    return count;
}

std::string Molecule::GetStringProperty(const std::string& name) const
{
    for (const ObjectProperty& property : m_UserProperties)
        if (property.GetName() == name)
            return property.GetStringValue();
    if (name == "Name")
        return m_Name;
    if (name == "3DMol")
        return HasProperty("3DMol") ? "1" : "";
    return std::string();
}

void Molecule::SetStringProperty(const std::string& name, const std::string& value)
{
    for (ObjectProperty& property : m_UserProperties)
        if (property.GetName() == name) {
            property.SetStringValue(value);
            return;
        }
    m_UserProperties.emplace_back(name, value);
}

void Molecule::DeleteProperty(const std::string& name)
{
    m_UserProperties.erase(std::remove_if(m_UserProperties.begin(), m_UserProperties.end(),
                                          [&](const ObjectProperty& p) { return p.GetName() == name; }),
                           m_UserProperties.end());
}

bool Molecule::HasProperty(const std::string& name) const
{
    if (Object::HasProperty(name) || name == "Name")
        return true;
    if (name == "3DMol") {
        const RDKit::RWMol& mol = *m_Impl->mol;
        return mol.getNumConformers() > 0 && mol.getConformer().is3D();
    }
    return false;
}

bool Molecule::HasObjectsOfClass(int type) const
{
    if (type == Atom3d::classType)
        return m_Impl->mol->getNumAtoms() > 0;
    if (type == Bond::classType)
        return m_Impl->mol->getNumBonds() > 0;
    return false;
}

double Molecule::GetMeasure() const { return static_cast<double>(m_Impl->mol->getNumAtoms()); }

int Molecule::GetAtomCount() const { return static_cast<int>(m_Impl->mol->getNumAtoms()); }

int Molecule::GetBondCount() const { return static_cast<int>(m_Impl->mol->getNumBonds()); }

void Molecule::CopyFrom(const Molecule& other)
{
    if (&other == this)
        return;
    m_Impl->mol.reset(new RDKit::RWMol(*other.m_Impl->mol));
    m_Name = other.m_Name;
    m_UserProperties = other.m_UserProperties;
    StructureChanged();
}

} // namespace Chem
