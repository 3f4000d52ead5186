#pragma once

#include <memory>
#include <vector>

#include "chem/Molecule.h"
#include "chem/Object.h"

namespace Chem {

// The root of a document's tree; its children are the molecules.
class VORLAT_EXPORT TreeRoot : public Object {
public:
    static const int classType;

    int GetClassType() const override;
    std::size_t GetChildCount() override;
    Object* GetChild(std::size_t index) override;

    // Adds an empty molecule, owned by the root.
    Molecule* AddMolecule();
    Molecule* AddMolecule(std::unique_ptr<Molecule> molecule);
    void RemoveAll();

private:
    std::vector<std::unique_ptr<Molecule>> m_Molecules;
};

// A document of the molecule model: a tree of molecules under one root.
class VORLAT_EXPORT ChemDoc {
public:
    ChemDoc();
    ~ChemDoc();
    ChemDoc(const ChemDoc&) = delete;
    ChemDoc& operator=(const ChemDoc&) = delete;

    // The root object; never null.
    Object* GetTreeRoot();
    TreeRoot& Root() { return *m_Root; }

    // Replaces this document's contents with a copy of other's.
    void ReplaceChemDoc(const ChemDoc* other);

private:
    std::unique_ptr<TreeRoot> m_Root;
};

// Yields the descendants of root of one class, depth first, in order.
class VORLAT_EXPORT DescendentIterator {
public:
    // The two flags are kept for the callers' sake.
    DescendentIterator(Object* root, int classType, bool, bool);
    // The next descendant of the class, or null at the end.
    Object* GetNext();
    // Starts again from the root.
    void Reset();

private:
    Object* m_Root;
    int m_ClassType;
    std::vector<std::pair<Object*, std::size_t>> m_Stack;
};

} // namespace Chem
