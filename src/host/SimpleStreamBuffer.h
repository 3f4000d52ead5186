#pragma once

#include <memory>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "host/BaseStreamBuffer.h"
#include "host/InputStream.h"

namespace Host {

// A BaseStreamBuffer that reads its stream sequentially into one block of
// the given size; the window starts where the stream stands when it is made.
class VORLAT_EXPORT SimpleStreamBuffer : public BaseStreamBuffer {
public:
    SimpleStreamBuffer(boost::shared_ptr<InputStream> stream, std::size_t capacity);
    ~SimpleStreamBuffer() override;

    const char* GetData() const override { return m_Data.data(); }
    std::size_t GetSize() const override { return m_Size; }
    std::int64_t GetStart() const override { return m_Start; }
    std::size_t GetCapacity() const override { return m_Data.size(); }
    bool FillFrom(std::int64_t position) override;

private:
    boost::shared_ptr<InputStream> m_Stream;
    std::vector<char> m_Data;
    std::size_t m_Size = 0;
    std::int64_t m_Start = 0;
};

} // namespace Host
