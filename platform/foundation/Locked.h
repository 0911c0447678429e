#pragma once

#include <mutex>
#include <utility>

namespace ns {

// A field read and written whole from any thread: each read hands out a copy taken under the field's own
// lock, so a reader never sees a half-written value (a `Ref` whose count and pointer disagree).
template <class T> class Locked
{
public:
    Locked() = default;
    explicit Locked(T value) : m_value(std::move(value)) {}
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

    T get() const
    {
        std::lock_guard lock(m_mutex);
        return m_value;
    }
    void set(T value)
    {
        std::lock_guard lock(m_mutex);
        m_value = std::move(value);
    }

private:
    mutable std::mutex m_mutex;
    T m_value{};
};

} // namespace ns
