#include "foundation/Data.h"

#include "foundation/Ascii.h"

#include <functional>

namespace ns {

std::string Data::description() const
{
    std::string out = "<";
    for (std::size_t i = 0; i < m_bytes.size(); ++i) {
        if (i > 0 && i % 4 == 0)
            out += ' ';
        out += lowerHexDigits[m_bytes[i] >> 4];
        out += lowerHexDigits[m_bytes[i] & 15];
    }
    out += '>';
    return out;
}

bool Data::isEqual(const Object& other) const
{
    auto* data = dynamic_cast<const Data*>(&other);
    return data && data->m_bytes == m_bytes;
}

std::size_t Data::hash() const
{
    return std::hash<std::string_view>()(view());
}

} // namespace ns
