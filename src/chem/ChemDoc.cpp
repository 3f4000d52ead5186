#include "chem/ChemDoc.h"

namespace Chem {

const int TreeRoot::classType = 0;

int TreeRoot::GetClassType() const { return classType; }

std::size_t TreeRoot::GetChildCount() { return m_Molecules.size(); }

Object* TreeRoot::GetChild(std::size_t index) { return index < m_Molecules.size() ? m_Molecules[index].get() : nullptr; }

Molecule* TreeRoot::AddMolecule()
{
    m_Molecules.emplace_back(new Molecule);
    return m_Molecules.back().get();
}

Molecule* TreeRoot::AddMolecule(std::unique_ptr<Molecule> molecule)
{
    m_Molecules.push_back(std::move(molecule));
    return m_Molecules.back().get();
}

void TreeRoot::RemoveAll() { m_Molecules.clear(); }

ChemDoc::ChemDoc() : m_Root(new TreeRoot) {}

ChemDoc::~ChemDoc() = default;

Object* ChemDoc::GetTreeRoot() { return m_Root.get(); }

void ChemDoc::ReplaceChemDoc(const ChemDoc* other)
{
    if (!other || other == this)
        return;
    m_Root->RemoveAll();
    TreeRoot& source = *other->m_Root;
    for (std::size_t i = 0; i < source.GetChildCount(); ++i)
        m_Root->AddMolecule()->CopyFrom(*static_cast<Molecule*>(source.GetChild(i)));
}

DescendentIterator::DescendentIterator(Object* root, int classType, bool, bool) : m_Root(root), m_ClassType(classType)
{
    Reset();
}

void DescendentIterator::Reset()
{
    m_Stack.clear();
    if (m_Root)
        m_Stack.emplace_back(m_Root, 0);
}

Object* DescendentIterator::GetNext()
{
    while (!m_Stack.empty()) {
        auto& [object, next] = m_Stack.back();
        if (next >= object->GetChildCount()) {
            m_Stack.pop_back();
            continue;
        }
        Object* child = object->GetChild(next++);
        if (!child)
            continue;
        // Objects of one class never hold objects of the same class (no
        // molecule in a molecule, no atom in an atom): a match is not
        // searched further, which spares making a molecule's atom and bond
        // objects when only molecules are asked for.
        if (child->GetClassType() == m_ClassType)
            return child;
        m_Stack.emplace_back(child, 0);
    }
    return nullptr;
}

} // namespace Chem
