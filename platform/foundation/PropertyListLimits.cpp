#include "foundation/PropertyListLimits.h"

#include "foundation/Ascii.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace ns {
namespace {

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

uint64_t bigEndian(const unsigned char* bytes, std::size_t count)
{
    uint64_t value = 0;
    for (std::size_t i = 0; i < count; ++i)
        value = (value << 8) | bytes[i];
    return value;
}

// A binary property list's object graph, read in place through its trailer and offset table.
class BinaryShape
{
public:
    explicit BinaryShape(std::string_view data)
        : m_bytes(reinterpret_cast<const unsigned char*>(data.data())), m_size(data.size())
    {
    }

    bool readTrailer(std::string& reason);
    bool walk(int limit, std::string& reason) const;

private:
    // The references an object holds: [first, first + count * refSize).
    struct Children
    {
        uint64_t first = 0;
        uint64_t count = 0;
    };

    uint64_t offsetOf(uint64_t index) const
    {
        return bigEndian(m_bytes + m_tableOffset + index * m_offsetSize, m_offsetSize);
    }
    uint64_t referenceAt(uint64_t position) const { return bigEndian(m_bytes + position, m_refSize); }
    bool readLength(unsigned char marker, uint64_t& position, uint64_t& count) const;
    bool keyAcceptable(uint64_t offset) const;
    bool childrenOf(uint64_t index, Children& children) const;

    const unsigned char* m_bytes;
    std::size_t m_size;
    unsigned m_offsetSize = 0;
    unsigned m_refSize = 0;
    uint64_t m_objectCount = 0;
    uint64_t m_top = 0;
    uint64_t m_tableOffset = 0;
};

// ---- The trailer: widths, object count, top object and offset table, all within the data.

bool BinaryShape::readTrailer(std::string& reason)
{
    if (m_size < 8 + 32) {
        reason = "binary property list too short";
        return false;
    }
    const unsigned char* trailer = m_bytes + m_size - 32;
    m_offsetSize = trailer[6];
    m_refSize = trailer[7];
    m_objectCount = bigEndian(trailer + 8, 8);
    m_top = bigEndian(trailer + 16, 8);
    m_tableOffset = bigEndian(trailer + 24, 8);
    const uint64_t tableEnd = m_size - 32;
    if (m_offsetSize < 1 || m_offsetSize > 8 || m_refSize < 1 || m_refSize > 8 || m_objectCount == 0 ||
        m_top >= m_objectCount || m_tableOffset < 8 || m_tableOffset > tableEnd ||
        m_objectCount > (tableEnd - m_tableOffset) / m_offsetSize) {
        reason = "binary property list trailer is inconsistent";
        return false;
    }
    return true;
}

// ---- One object: its length, its keys, its references.

// The length in an object's marker, or in the integer after it when the marker holds 0xF; `position`
// moves past what was read.
bool BinaryShape::readLength(unsigned char marker, uint64_t& position, uint64_t& count) const
{
    count = marker & 0x0F;
    if (count != 0x0F)
        return true;
    if (position >= m_tableOffset)
        return false;
    unsigned char intMarker = m_bytes[position];
    if ((intMarker >> 4) != 0x1 || (intMarker & 0x0F) > 3)
        return false;
    std::size_t width = std::size_t(1) << (intMarker & 0x0F);
    if (position + 1 + width > m_tableOffset)
        return false;
    count = bigEndian(m_bytes + position + 1, width);
    position += 1 + width;
    return true;
}

// A key must be a text without NUL characters (the library asserts on them).
bool BinaryShape::keyAcceptable(uint64_t offset) const
{
    unsigned char marker = m_bytes[offset];
    unsigned type = marker >> 4;
    if (type != 0x5 && type != 0x6)
        return false;
    uint64_t count = 0;
    uint64_t position = offset + 1;
    if (!readLength(marker, position, count))
        return false;
    const uint64_t unit = type == 0x6 ? 2 : 1;
    if (count > (m_tableOffset - position) / unit)
        return false;
    for (uint64_t k = 0; k < count; ++k) {
        bool zero = m_bytes[position + k * unit] == 0 && (unit == 1 || m_bytes[position + k * unit + 1] == 0);
        if (zero)
            return false;
    }
    return true;
}

bool BinaryShape::childrenOf(uint64_t index, Children& children) const
{
    uint64_t offset = offsetOf(index);
    if (offset < 8 || offset >= m_tableOffset)
        return false;
    unsigned char marker = m_bytes[offset];
    unsigned type = marker >> 4;
    children = {};
    if (type != 0xA && type != 0xC && type != 0xD)
        return true;
    uint64_t count = 0;
    uint64_t position = offset + 1;
    if (!readLength(marker, position, count))
        return false;
    if (type == 0xD) {
        if (count > std::numeric_limits<uint64_t>::max() / 2)
            return false;
        count *= 2;
    }
    if (count > (m_tableOffset - position) / m_refSize)
        return false;
    if (type == 0xD) {
        // The library requires every key to be a text (ASCII, UTF-16 or UTF-8).
        for (uint64_t k = 0; k < count / 2; ++k) {
            uint64_t key = referenceAt(position + k * m_refSize);
            if (key >= m_objectCount)
                return false;
            uint64_t keyOffset = offsetOf(key);
            if (keyOffset < 8 || keyOffset >= m_tableOffset)
                return false;
            if (!keyAcceptable(keyOffset))
                return false;
        }
    }
    children.first = position;
    children.count = count;
    return true;
}

// ---- The walk: depth first from the top object, each object's depth and expanded size kept once known.

bool BinaryShape::walk(int limit, std::string& reason) const
{
    enum : int32_t { Unknown = -1, Visiting = -2 };
    std::vector<int32_t> depth(m_objectCount, Unknown);
    std::vector<uint64_t> expanded(m_objectCount, 0);
    struct Frame
    {
        uint64_t index;
        Children children;
        uint64_t next;
    };
    std::vector<Frame> stack;
    auto push = [&](uint64_t index) -> bool {
        Frame frame{index, {}, 0};
        if (!childrenOf(index, frame.children))
            return false;
        depth[index] = Visiting;
        stack.push_back(frame);
        return true;
    };
    if (!push(m_top)) {
        reason = "binary property list object out of range";
        return false;
    }
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.children.count) {
            int32_t deepest = 0;
            uint64_t nodes = 1;
            for (uint64_t k = 0; k < frame.children.count; ++k) {
                uint64_t child = referenceAt(frame.children.first + k * m_refSize);
                deepest = std::max(deepest, depth[child]);
                nodes = std::min(PropertyListLimits::MaximumExpandedNodes + 1, nodes + expanded[child]);
            }
            depth[frame.index] = deepest + 1;
            expanded[frame.index] = nodes;
            stack.pop_back();
            continue;
        }
        uint64_t child = referenceAt(frame.children.first + frame.next * m_refSize);
        ++frame.next;
        if (child >= m_objectCount) {
            reason = "binary property list reference out of range";
            return false;
        }
        if (depth[child] == Visiting) {
            reason = "binary property list refers to itself";
            return false;
        }
        if (depth[child] != Unknown)
            continue;
        if (static_cast<int>(stack.size()) >= limit) {
            reason = "property list nested too deeply";
            return false;
        }
        if (!push(child)) {
            reason = "binary property list object out of range";
            return false;
        }
    }
    if (depth[m_top] > limit) {
        reason = "property list nested too deeply";
        return false;
    }
    if (expanded[m_top] > PropertyListLimits::MaximumExpandedNodes) {
        reason = "binary property list expands too far";
        return false;
    }
    return true;
}

} // namespace

bool PropertyListLimits::xmlDepthWithin(std::string_view xml, int limit)
{
    int depth = 0;
    std::size_t i = 0;
    while ((i = xml.find('<', i)) != std::string_view::npos) {
        std::string_view rest = xml.substr(i);
        // Most tags are elements: comments, sections and instructions are looked for only after "<!" or "<?".
        char next = rest.size() > 1 ? rest[1] : '\0';
        if (next == '!' || next == '?') {
            std::string_view opening = startsWith(rest, "<!--")        ? "<!--"
                                       : startsWith(rest, "<![CDATA[") ? "<![CDATA["
                                       : next == '?'                   ? "<?"
                                                                       : "";
            if (!opening.empty()) {
                std::string_view terminator = opening == "<!--" ? "-->" : opening == "<?" ? "?>" : "]]>";
                std::size_t end = xml.find(terminator, i + opening.size());
                if (end == std::string_view::npos)
                    return true; // unterminated: the parser refuses it
                i = end + terminator.size();
                continue;
            }
        }
        bool closing = next == '/';
        std::size_t nameStart = i + (closing ? 2 : 1);
        std::size_t nameEnd = nameStart;
        while (nameEnd < xml.size() && (isAsciiAlphanumeric(xml[nameEnd]) || xml[nameEnd] == '_' ||
                                        xml[nameEnd] == ':' || xml[nameEnd] == '-' || xml[nameEnd] == '!'))
            ++nameEnd;
        std::string_view name = xml.substr(nameStart, nameEnd - nameStart);
        // Find the tag's end outside quoted values; a declaration's internal subset nests brackets.
        std::size_t j = nameEnd;
        char quote = 0;
        int brackets = 0;
        for (; j < xml.size(); ++j) {
            char c = xml[j];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '>' && brackets <= 0) {
                break;
            }
        }
        if (j >= xml.size())
            return true;
        bool selfClosing = j > i && xml[j - 1] == '/';
        if (name == "array" || name == "dict") {
            if (closing)
                --depth;
            else if (!selfClosing && ++depth > limit)
                return false;
        }
        i = j + 1;
    }
    return true;
}

bool PropertyListLimits::binaryShapeAcceptable(std::string_view data, int limit, std::string& reason)
{
    BinaryShape shape(data);
    return shape.readTrailer(reason) && shape.walk(limit, reason);
}

} // namespace ns
