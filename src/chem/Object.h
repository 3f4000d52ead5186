#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "chem/ObjectProperty.h"
#include "host/Export.h"

namespace Chem {

// A node of a document's object tree: the root, molecules, and their atoms
// and bonds. Every object can carry user properties (name and text, in the
// order they were added; a name may occur more than once, as in files).
class VORLAT_EXPORT Object {
public:
    Object();
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // Which kind of object this is: Molecule::classType, Atom3d::classType, ...
    virtual int GetClassType() const = 0;

    // The object's children, in order; the object owns them.
    virtual std::size_t GetChildCount();
    virtual Object* GetChild(std::size_t index);

    virtual bool HasProperty(const std::string& name) const;
    virtual void RemoveUserProperties();

    // Fills array with the user properties, in order; returns their count.
    // allProperties is kept for the callers' sake.
    int GetUserProperties(ObjectProperty::Array& array, bool allProperties) const;
    void AddUserProperty(const std::string& name, const std::string& value);

protected:
    std::vector<ObjectProperty> m_UserProperties;
};

} // namespace Chem
