#include "webservices/jk/JKTokenCache.h"

#include "foundation/Number.h"
#include "foundation/String.h"
#include "webservices/jk/JKAllocator.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

namespace {

constexpr uint32_t Mask = JKTokenCache::Size - 1;

static_assert(sizeof(JKTokenCacheItem) == 64);

// Numbers are 8 bytes, compared as one word.
inline bool sameBytes(const char* cached, const uint8_t* bytes, std::size_t size)
{
    if (size == 8) {
        uint64_t a, b;
        std::memcpy(&a, cached, 8);
        std::memcpy(&b, bytes, 8);
        return a == b;
    }
    return std::memcmp(cached, bytes, size) == 0;
}

} // namespace

JKTokenCache::JKTokenCache() : m_items(std::make_unique<JKTokenCacheItem[]>(Size))
{
}

const ns::Id& JKTokenCache::emptyString()
{
    static const ns::Id empty = ns::String::make(std::string());
    return empty;
}

ns::Id JKTokenCache::makeObject(const JKTokenValue& value)
{
    using Kind = ns::Number::Kind;
    switch (value.type) {
    case JKValueTypeString:
        return JKMakeShared<ns::String>(std::string(reinterpret_cast<const char*>(value.ptr), value.size));
    case JKValueTypeLongLong: {
        int64_t v = value.number.longLongValue;
        return JKMakeShared<ns::Number>(Kind::Signed, 'q', v, static_cast<uint64_t>(v),
                                        static_cast<double>(v));
    }
    case JKValueTypeUnsignedLongLong: {
        uint64_t v = value.number.unsignedLongLongValue;
        // Values above the signed range keep their unsigned kind, so that they keep their value.
        if (v <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max()))
            return JKMakeShared<ns::Number>(Kind::Signed, 'q', static_cast<int64_t>(v), v,
                                            static_cast<double>(v));
        return JKMakeShared<ns::Number>(Kind::Unsigned, 'Q', static_cast<int64_t>(v), v,
                                        static_cast<double>(v));
    }
    case JKValueTypeDouble: {
        double v = value.number.doubleValue;
        return JKMakeShared<ns::Number>(Kind::Double, 'd', ns::saturatingInt64(v), ns::saturatingUInt64(v),
                                        v);
    }
    case JKValueTypeNone:
        break;
    }
    return nullptr;
}

void JKTokenCache::ageOneStep()
{
    // A Galois linear-feedback shift register picks the age to halve.
    uint32_t bit = m_lfsr & 1;
    m_lfsr = (m_lfsr >> 1) ^ (bit ? 0x80200003u : 0u);
    m_age[m_lfsr & Mask] >>= 1;
}

ns::Id JKTokenCache::cachedObject(const JKTokenValue& value, JKTokenCacheItem** itemOut)
{
    *itemOut = nullptr;
    if (value.type == JKValueTypeString && value.size == 0)
        return emptyString();

    uint32_t bucket = value.hash & Mask;
    uint32_t freeBucket = UINT32_MAX;
    for (uint32_t x = 0; x < 4; ++x) {
        JKTokenCacheItem& item = m_items[bucket];
        if (!item.object) {
            freeBucket = bucket;
            break;
        }
        if (item.hash == value.hash && item.size == value.size && item.type == value.type &&
            sameBytes(item.bytes.data(), value.ptr, value.size)) {
            m_age[bucket] = static_cast<uint8_t>((m_age[bucket] << 1) | 1);
            *itemOut = &item;
            return item.object;
        }
        if (freeBucket == UINT32_MAX) {
            if (m_age[bucket] == 0) {
                freeBucket = bucket;
            } else {
                m_age[bucket] >>= 1;
                ageOneStep();
                ageOneStep();
            }
        }
        bucket = (value.hash + (static_cast<uint32_t>(value.size) + value.type + 3) * (x + 1)) & Mask;
    }

    ns::Id object = makeObject(value);
    if (!object || freeBucket == UINT32_MAX || value.size > UINT32_MAX)
        return object;
    JKTokenCacheItem& item = m_items[freeBucket];
    evict(std::exchange(item.object, object));
    item.hash = value.hash;
    item.keyHash = 0;
    item.size = static_cast<uint32_t>(value.size);
    item.bytes.assign(reinterpret_cast<const char*>(value.ptr), value.size);
    item.type = value.type;
    m_age[freeBucket] = 0;
    *itemOut = &item;
    return object;
}

void JKTokenCache::evict(ns::Id&& object)
{
    if (!object)
        return;
    // The reference counts lie just before the object.
    __builtin_prefetch(reinterpret_cast<const char*>(object.get()) - 16, 1);
    ns::Id& slot = m_evicted[m_nextEvicted];
    m_nextEvicted = (m_nextEvicted + 1) % EvictionDelay;
    slot = std::move(object);
}

void JKTokenCache::releaseEvicted()
{
    for (auto& object : m_evicted)
        object = nullptr;
}

void JKTokenCache::clear()
{
    releaseEvicted();
    for (std::size_t i = 0; i < Size; ++i) {
        m_items[i] = JKTokenCacheItem();
        m_age[i] = 0;
    }
}
