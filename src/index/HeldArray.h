#pragma once

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace VorlatImportExport {

// A list of plain values that either owns its elements (a vector, grown with
// push_back) or reads them where they lie in memory it does not own, such as
// a mapped saved index, kept alive by the shared owner it is given. Reading is
// the same either way: a pointer and a count. A borrowed list that is
// changed first copies what it borrows.
template <class T>
class HeldArray {
public:
    HeldArray() = default;
    HeldArray(const HeldArray& other) : m_Own(other.m_Own), m_Keep(other.m_Keep)
    {
        if (m_Keep)
            m_Data = other.m_Data, m_Size = other.m_Size;
        else
            Sync();
    }
    HeldArray(HeldArray&& other) noexcept { swap(other); }
    HeldArray& operator=(HeldArray other) noexcept
    {
        swap(other);
        return *this;
    }

    const T& operator[](std::size_t i) const { return m_Data[i]; }
    std::size_t size() const { return m_Size; }
    bool empty() const { return m_Size == 0; }
    const T& back() const { return m_Data[m_Size - 1]; }
    const T* data() const { return m_Data; }
    const T* begin() const { return m_Data; }
    const T* end() const { return m_Data + m_Size; }
    // Bytes allocated for elements (none for borrowed ones).
    std::size_t capacity() const { return m_Own.capacity(); }

    void push_back(const T& value)
    {
        Own();
        m_Own.push_back(value);
        Sync();
    }
    void clear()
    {
        m_Own.clear();
        m_Keep.reset();
        Sync();
    }
    void reserve(std::size_t count)
    {
        Own();
        m_Own.reserve(count);
        Sync();
    }
    void shrink_to_fit()
    {
        m_Own.shrink_to_fit();
        if (!m_Keep)
            Sync();
    }
    // Copies count elements from data.
    void assign(const T* data, std::size_t count)
    {
        m_Keep.reset();
        m_Own.assign(data, data + count);
        Sync();
    }
    // Reads count elements at data, which keep holds alive.
    void Borrow(const T* data, std::size_t count, std::shared_ptr<const void> keep)
    {
        m_Own = std::vector<T>();
        m_Keep = std::move(keep);
        m_Data = data;
        m_Size = count;
    }

    void swap(HeldArray& other) noexcept
    {
        m_Own.swap(other.m_Own);
        m_Keep.swap(other.m_Keep);
        std::swap(m_Data, other.m_Data);
        std::swap(m_Size, other.m_Size);
    }

private:
    void Sync()
    {
        m_Data = m_Own.data();
        m_Size = m_Own.size();
    }
    // A borrowed list becomes its own before it changes.
    void Own()
    {
        if (m_Keep) {
            m_Own.assign(m_Data, m_Data + m_Size);
            m_Keep.reset();
            Sync();
        }
    }

    std::vector<T> m_Own;
    std::shared_ptr<const void> m_Keep;
    const T* m_Data = nullptr;
    std::size_t m_Size = 0;
};

} // namespace VorlatImportExport
