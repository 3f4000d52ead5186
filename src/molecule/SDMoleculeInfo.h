#pragma once

#include <string>
#include <vector>

#include "molecule/MoleculeInfo.h"

namespace Chem {
class Molecule;
}

namespace VorlatImportExport {

// The molecule record of the SD and Mol2 providers. Its property list is
// built on the first question after a document is attached: the names given
// in advance (AddPropertyNames), then the molecule's user properties in file
// order, then the molecule's own name under the first name given to
// SetIntrinsicProperties. Values are kept as text and typed (int, float or
// wide text) when read.
//
// The record never releases its document: whoever holds the record (a
// provider's cache, or the caller of ReadMolecule) deletes both.
class VORLAT_EXPORT SDMoleculeInfo : public MoleculeInfo {
public:
    SDMoleculeInfo();
    SDMoleculeInfo(const SDMoleculeInfo&) = default;
    SDMoleculeInfo& operator=(const SDMoleculeInfo&) = default;
    ~SDMoleculeInfo() override;

    int GetNumProperties() override;
    // index in [0, GetNumProperties()); "" when nothing is loaded.
    std::string GetPropertyName(int index) override;
    // Trims spaces from the stored text, then an int, a float or a wide text.
    boost::any GetPropertyValue(int index) override;
    Chem::ChemDoc* GetChemDoc() override;
    void GetChemDoc(Chem::ChemDoc& target) override;
    // The molecule's name; "" without a document.
    std::string GetMoleculeName() override;
    void SetChemDoc(Chem::ChemDoc* document) override;
    void RemoveUserProperties() override;
    void RemoveProperty(const std::string& name) override;
    void SetProperty(const std::string& name, const std::string& value) override;
    void ClearMoleculeInfo() override;
    bool HaveMolecule() override;

    virtual void AddPropertyNames(const std::vector<std::string>& names);
    virtual void SetIntrinsicProperties(const std::vector<std::string>& names);
    virtual void SetMoleculeName(const std::string& name);
    // The document's first molecule, or null.
    virtual Chem::Molecule* GetMolecule();

    // Whether the text is a complete number for the integer or the float
    // cell validator.
    static bool IsPropertyIntegerType(std::string& text);
    static bool IsPropertyFloatType(std::string& text);

private:
    void LoadProperties();
    void LoadUserProperties(const Chem::Molecule& molecule);
    void LoadIntrinsicProperties(const Chem::Molecule& molecule);

    Chem::ChemDoc* document = nullptr;
    std::vector<std::string> propertyValues;
    std::vector<std::string> propertyNames;
    std::vector<std::string> intrinsicNames;
    bool propertiesLoaded = false;
    std::vector<std::string> addedNames;
};

} // namespace VorlatImportExport
