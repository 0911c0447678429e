#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <optional>
#include <string>

// Whether a destination can be reached with the device's current routes, read at once from the kernel.
namespace net {

using ReachabilityFlags = uint32_t;

inline constexpr ReachabilityFlags kSCNetworkReachabilityFlagsTransientConnection = 1u << 0;
inline constexpr ReachabilityFlags kSCNetworkReachabilityFlagsReachable = 1u << 1;
inline constexpr ReachabilityFlags kSCNetworkReachabilityFlagsConnectionRequired = 1u << 2;
inline constexpr ReachabilityFlags kSCNetworkReachabilityFlagsConnectionOnTraffic = 1u << 3;
inline constexpr ReachabilityFlags kSCNetworkReachabilityFlagsInterventionRequired = 1u << 4;
inline constexpr ReachabilityFlags kSCNetworkReachabilityFlagsConnectionOnDemand = 1u << 5;
inline constexpr ReachabilityFlags kSCNetworkReachabilityFlagsIsLocalAddress = 1u << 16;
inline constexpr ReachabilityFlags kSCNetworkReachabilityFlagsIsDirect = 1u << 17;
inline constexpr ReachabilityFlags kSCNetworkReachabilityFlagsIsWWAN = 1u << 18;

class Reachability : public ns::Object
{
public:
    // An IPv4 address as text: "0.0.0.0" asks about the internet at large, "169.254.0.0" about the
    // local link. Nothing for text that is not an address.
    static ns::Ref<Reachability> withAddress(const std::string& address);
    // A host name, judged by the routes alone (no lookup goes out).
    static ns::Ref<Reachability> withName(const std::string& host);

    // False when the kernel's tables could not be read.
    bool getFlags(ReachabilityFlags* flags) const;

    // Tests and scripted runs decide the answer: flags, or a failed read; nothing returns to the kernel.
    static void setOverride(std::optional<ReachabilityFlags> flags, bool readFails = false);
    // The IPv4 routing table to read (the kernel's by default); for tests of the reading itself.
    static void setRouteTablePath(std::optional<std::string> path);

    std::string className() const override { return "SCNetworkReachability"; }

    enum class Kind { Internet, LinkLocal, Loopback, Host };
    static ns::Ref<Reachability> create(Kind kind, std::string target)
    {
        return ns::Factory<Reachability>::make(kind, std::move(target));
    }

protected:
    Reachability(Kind kind, std::string target) : m_kind(kind), m_target(std::move(target)) {}
    friend ns::Factory<Reachability>;

private:
    Kind m_kind;
    std::string m_target;
};

} // namespace net
