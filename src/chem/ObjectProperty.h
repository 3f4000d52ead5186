#pragma once

#include <string>
#include <vector>

#include "host/Export.h"

namespace Chem {

// A named property of an object of the molecule model, as text.
class VORLAT_EXPORT ObjectProperty {
public:
    ObjectProperty() = default;
    ObjectProperty(std::string name, std::string value) : m_Name(std::move(name)), m_Value(std::move(value)) {}

    const std::string& GetName() const { return m_Name; }
    const std::string& GetStringValue() const { return m_Value; }
    void SetStringValue(const std::string& value) { m_Value = value; }

    // A list of properties that an object fills on request.
    class VORLAT_EXPORT Array {
    public:
        // The arguments (initial size, growth) are kept for the callers' sake.
        Array(int initialSize = 0, int growBy = 1);
        int GetSize() const { return static_cast<int>(m_Items.size()); }
        // index in [0, GetSize()).
        const ObjectProperty& GetAt(int index) const { return m_Items.at(static_cast<std::size_t>(index)); }
        void Add(const ObjectProperty& property) { m_Items.push_back(property); }
        void RemoveAll() { m_Items.clear(); }

    private:
        std::vector<ObjectProperty> m_Items;
    };

private:
    std::string m_Name;
    std::string m_Value;
};

} // namespace Chem
