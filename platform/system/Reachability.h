#pragma once

#include "foundation/Object.h"

#include <cstdint>
#include <netinet/in.h>
#include <optional>
#include <string>

namespace ns {
class RunLoop;
}

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
    // The same from a socket address; nothing for one that is not IPv4.
    static ns::Ref<Reachability> withAddress(const sockaddr_in& address);
    // A host name, judged by the routes alone (no lookup goes out).
    static ns::Ref<Reachability> withName(const std::string& host);
    ~Reachability() override;

    // False when the kernel's tables could not be read.
    bool getFlags(ReachabilityFlags* flags) const;

    // The notifier: once a callback is set and the reference is scheduled on a run loop, the callback runs
    // on that loop, with `info`, whenever the flags this reference reads have changed since it was
    // scheduled or last called. The device's answer changes through setOverride (the switch of tests,
    // scripts and the device window). Nothing clears the callback.
    using Callback = void (*)(Reachability& target, ReachabilityFlags flags, void* info);
    bool setCallback(Callback callback, void* info);
    bool scheduleWithRunLoop(ns::RunLoop& loop);
    bool unscheduleFromRunLoop(ns::RunLoop& loop);
    bool isScheduled() const { return m_loop != nullptr; }

    // Tests and scripted runs decide the answer: flags, or a failed read; nothing returns to the kernel.
    // Every scheduled reference then looks whether its answer changed.
    static void setOverride(std::optional<ReachabilityFlags> flags, bool readFails = false);
    // What the device reports now: nothing while the kernel's tables decide.
    static std::optional<ReachabilityFlags> overrideFlags();
    // The device's network switch: on, it reports a link that reaches everything (as a phone on Wi-Fi
    // does); off, nothing reachable.
    static void setNetworkOn(bool on);
    // Whether the device reports the internet reachable now.
    static bool isNetworkOn();
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
    // On the scheduled loop: calls back when the flags differ from the last ones seen.
    void checkForChange();

    Kind m_kind;
    std::string m_target;
    Callback m_callback = nullptr;
    void* m_info = nullptr;
    ns::RunLoop* m_loop = nullptr;
    std::optional<ReachabilityFlags> m_lastFlags; // nothing after a failed read
};

} // namespace net
