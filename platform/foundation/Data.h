#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ns {

// An immutable run of bytes.
class Data : public Object
{
public:
    Data() = default;
    explicit Data(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {}

    static Ref<Data> make(std::vector<uint8_t> bytes) { return std::make_shared<Data>(std::move(bytes)); }
    static Ref<Data> withString(std::string_view text)
    {
        return make(std::vector<uint8_t>(text.begin(), text.end()));
    }

    const std::vector<uint8_t>& bytes() const { return m_bytes; }
    const uint8_t* data() const { return m_bytes.data(); }
    std::size_t length() const { return m_bytes.size(); }
    std::string_view view() const
    {
        return std::string_view(reinterpret_cast<const char*>(m_bytes.data()), m_bytes.size());
    }

    std::string className() const override { return "NSData"; }
    std::string description() const override; // "<48656c6c 6f>"
    bool isEqual(const Object& other) const override;
    std::size_t hash() const override;

private:
    std::vector<uint8_t> m_bytes;
};

} // namespace ns
