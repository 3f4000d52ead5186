#include "chem/Object.h"

namespace Chem {

ObjectProperty::Array::Array(int initialSize, int)
{
    if (initialSize > 0)
        m_Items.reserve(static_cast<std::size_t>(initialSize));
}

Object::Object() = default;

Object::~Object() = default;

std::size_t Object::GetChildCount() { return 0; }

Object* Object::GetChild(std::size_t) { return nullptr; }

bool Object::HasProperty(const std::string& name) const
{
    for (const ObjectProperty& property : m_UserProperties)
        if (property.GetName() == name)
            return true;
    return false;
}

void Object::RemoveUserProperties() { m_UserProperties.clear(); }

int Object::GetUserProperties(ObjectProperty::Array& array, bool) const
{
    for (const ObjectProperty& property : m_UserProperties)
        array.Add(property);
    return static_cast<int>(m_UserProperties.size());
}

void Object::AddUserProperty(const std::string& name, const std::string& value)
{
    m_UserProperties.emplace_back(name, value);
}

} // namespace Chem
