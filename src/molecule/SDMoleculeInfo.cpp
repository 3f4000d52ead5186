#include "molecule/SDMoleculeInfo.h"

#include <map>
#include <set>

#include "chem/ChemDoc.h"
#include "chem/Molecule.h"
#include "chem/MolUtilities.h"
#include "frame/TableDataUtil.h"
#include "host/StringConversion.h"
#include "validation/DataValidator.h"

namespace VorlatImportExport {

namespace {

// A value text holding this marker is a reference: its value is asked of the
// molecule by name.
const char* const ValueMarker = "Zentrova.value.";

} // namespace

MoleculeInfo::~MoleculeInfo() = default;

SDMoleculeInfo::SDMoleculeInfo() = default;

SDMoleculeInfo::~SDMoleculeInfo() = default;

void SDMoleculeInfo::LoadProperties()
{
    if (propertiesLoaded)
        return;
    propertyNames = addedNames;
    propertyValues.clear();
    const Chem::Molecule* molecule = GetMolecule();
    if (!molecule)
        return;
    LoadUserProperties(*molecule);
    if (!intrinsicNames.empty())
        LoadIntrinsicProperties(*molecule);
    propertiesLoaded = true;
}

void SDMoleculeInfo::LoadUserProperties(const Chem::Molecule& molecule)
{
    std::set<std::string> known(propertyNames.begin(), propertyNames.end());
    std::map<std::string, std::string> values;

    Chem::ObjectProperty::Array array(0, 1);
    const int count = molecule.GetUserProperties(array, true);
    for (int i = 0; i < count; ++i) {
        const Chem::ObjectProperty property = array.GetAt(i);
        const std::string& name = property.GetName();
        if (known.insert(name).second)
            propertyNames.push_back(name);
        const std::string& value = property.GetStringValue();
        if (!value.empty() && value.find(ValueMarker) == std::string::npos)
            values.emplace(name, value);
    }

    propertyValues.resize(propertyNames.size());
    for (std::size_t k = 0; k < propertyNames.size(); ++k) {
        const auto found = values.find(propertyNames[k]);
        propertyValues[k] = found != values.end() ? found->second : molecule.GetStringProperty(propertyNames[k]);
    }
}

void SDMoleculeInfo::LoadIntrinsicProperties(const Chem::Molecule& molecule)
{
    Chem::ObjectProperty::Array array(0, 1);
    const int count = molecule.GetIntrinsicProperties(array);
    for (int i = 0; i < count; ++i) {
        const Chem::ObjectProperty& property = array.GetAt(i);
        if (property.GetName() != "Name" || property.GetStringValue().empty())
            continue;
        const std::string& key = intrinsicNames.front();
        for (std::size_t k = 0; k < propertyNames.size(); ++k)
            if (propertyNames[k] == key) {
                propertyValues[k] = property.GetStringValue();
                return;
            }
        propertyNames.push_back(key);
        propertyValues.push_back(property.GetStringValue());
        return;
    }
}

int SDMoleculeInfo::GetNumProperties()
{
    LoadProperties();
    return propertiesLoaded ? static_cast<int>(propertyNames.size()) : 0;
}

std::string SDMoleculeInfo::GetPropertyName(int index)
{
    LoadProperties();
    if (!propertiesLoaded || index < 0 || static_cast<std::size_t>(index) >= propertyNames.size())
        return std::string();
    return propertyNames[static_cast<std::size_t>(index)];
}

boost::any SDMoleculeInfo::GetPropertyValue(int index)
{
    LoadProperties();
    if (!propertiesLoaded || index < 0 || static_cast<std::size_t>(index) >= propertyValues.size())
        return boost::any();
    // The stored text keeps the trimmed form; it is typed as a field is.
    std::string& text = propertyValues[static_cast<std::size_t>(index)];
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        text.clear();
    else
        text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    return TableDataUtil::SStringToBoostAny(text);
}

Chem::ChemDoc* SDMoleculeInfo::GetChemDoc() { return document; }

void SDMoleculeInfo::GetChemDoc(Chem::ChemDoc& target)
{
    if (document)
        target.ReplaceChemDoc(document);
}

std::string SDMoleculeInfo::GetMoleculeName()
{
    return document ? Host::ToSString(Chem::GetMoleculeName(document)) : std::string();
}

void SDMoleculeInfo::SetChemDoc(Chem::ChemDoc* newDocument)
{
    document = newDocument;
    propertiesLoaded = false;
}

void SDMoleculeInfo::RemoveUserProperties()
{
    if (Chem::Molecule* molecule = GetMolecule())
        molecule->RemoveUserProperties();
}

void SDMoleculeInfo::RemoveProperty(const std::string& name)
{
    if (Chem::Molecule* molecule = GetMolecule())
        molecule->DeleteProperty(name);
}

void SDMoleculeInfo::SetProperty(const std::string& name, const std::string& value)
{
    if (Chem::Molecule* molecule = GetMolecule())
        molecule->SetStringProperty(name, value);
}

void SDMoleculeInfo::ClearMoleculeInfo()
{
    propertyNames.clear();
    propertyValues.clear();
    intrinsicNames.clear();
    addedNames.clear();
    propertiesLoaded = false;
    document = nullptr;
}

bool SDMoleculeInfo::HaveMolecule() { return GetMolecule() != nullptr; }

void SDMoleculeInfo::AddPropertyNames(const std::vector<std::string>& names)
{
    addedNames.insert(addedNames.end(), names.begin(), names.end());
}

void SDMoleculeInfo::SetIntrinsicProperties(const std::vector<std::string>& names)
{
    intrinsicNames.insert(intrinsicNames.end(), names.begin(), names.end());
}

void SDMoleculeInfo::SetMoleculeName(const std::string& name)
{
    if (name.empty())
        return;
    if (Chem::Molecule* molecule = GetMolecule())
        molecule->SetName(name);
}

Chem::Molecule* SDMoleculeInfo::GetMolecule()
{
    if (!document || !document->GetTreeRoot())
        return nullptr;
    Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
    return static_cast<Chem::Molecule*>(molecules.GetNext());
}

bool SDMoleculeInfo::IsPropertyIntegerType(std::string& text)
{
    return UnboundedIntegerDataValidator().GetValidationState(text.c_str()) == DataValidator::Acceptable;
}

bool SDMoleculeInfo::IsPropertyFloatType(std::string& text)
{
    return UnboundedFloatDataValidator().GetValidationState(text.c_str()) == DataValidator::Acceptable;
}

} // namespace VorlatImportExport
