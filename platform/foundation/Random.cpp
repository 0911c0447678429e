#include "foundation/Random.h"

#include "foundation/Format.h"

#include <memory>
#include <mutex>
#include <random>

namespace ns {
namespace {

std::mutex& randomMutex()
{
    static std::mutex mutex;
    return mutex;
}

RandomSource defaultSource()
{
    auto engine = std::make_shared<std::mt19937>(std::random_device{}());
    return [engine] { return static_cast<uint32_t>((*engine)()); };
}

RandomSource& source()
{
    static RandomSource current = defaultSource();
    return current;
}

} // namespace

uint32_t randomU32()
{
    std::lock_guard lock(randomMutex());
    return source()();
}

RandomSource setRandomSource(RandomSource replacement)
{
    std::lock_guard lock(randomMutex());
    RandomSource previous = std::move(source());
    source() = replacement ? std::move(replacement) : defaultSource();
    return previous;
}

std::string UUIDString()
{
    uint8_t bytes[16];
    for (int i = 0; i < 16; i += 4) {
        uint32_t value = randomU32();
        for (int k = 0; k < 4; ++k)
            bytes[i + k] = static_cast<uint8_t>(value >> (8 * k));
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);
    std::string out;
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10)
            out += '-';
        out += format("%02X", bytes[i]);
    }
    return out;
}

RandomScope::RandomScope(uint32_t seed)
{
    auto engine = std::make_shared<std::mt19937>(seed);
    m_previous = setRandomSource([engine] { return static_cast<uint32_t>((*engine)()); });
}

RandomScope::~RandomScope()
{
    setRandomSource(std::move(m_previous));
}

} // namespace ns
