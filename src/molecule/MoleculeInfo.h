#pragma once

#include <string>

#include <boost/any.hpp>

#include "host/Export.h"

namespace Chem {
class ChemDoc;
}

namespace VorlatImportExport {

// One parsed record of a molecule file: its structure document and its
// properties (name and value text), read by index.
class VORLAT_EXPORT MoleculeInfo {
public:
    MoleculeInfo() = default;
    MoleculeInfo(const MoleculeInfo&) = default;
    MoleculeInfo& operator=(const MoleculeInfo&) = default;
    virtual ~MoleculeInfo();

    virtual int GetNumProperties() = 0;
    virtual std::string GetPropertyName(int index) = 0;
    virtual boost::any GetPropertyValue(int index) = 0;
    virtual Chem::ChemDoc* GetChemDoc() = 0;
    virtual void GetChemDoc(Chem::ChemDoc& target) = 0;
    virtual std::string GetMoleculeName() = 0;
    virtual void SetChemDoc(Chem::ChemDoc* document) = 0;
    virtual void RemoveUserProperties() = 0;
    virtual void RemoveProperty(const std::string& name) = 0;
    virtual void SetProperty(const std::string& name, const std::string& value) = 0;
    virtual void ClearMoleculeInfo() = 0;
    virtual bool HaveMolecule() = 0;
};

} // namespace VorlatImportExport
