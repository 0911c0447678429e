#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace ns {

// Random numbers and identifiers come from one source that tests can replace.
uint32_t randomU32();
// A version-4 UUID as 36 upper-case characters, "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
std::string UUIDString();

using RandomSource = std::function<uint32_t()>;
RandomSource setRandomSource(RandomSource source); // nothing restores the default; returns the previous

// A repeatable source for a scope (a test): the same seed gives the same numbers.
class RandomScope
{
public:
    explicit RandomScope(uint32_t seed = 1);
    ~RandomScope();
    RandomScope(const RandomScope&) = delete;
    RandomScope& operator=(const RandomScope&) = delete;

private:
    RandomSource m_previous;
};

} // namespace ns
