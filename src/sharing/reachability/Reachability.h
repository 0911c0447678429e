#pragma once

#include "foundation/Object.h"
#include "system/Reachability.h"

#include <netinet/in.h>
#include <string>

// How the device reaches the internet now.
enum NetworkStatus { NotReachable = 0, ReachableViaWiFi = 1, ReachableViaWWAN = 2 };

// Posted on the notifier's run loop when the reachability of a watched target changes (object: the
// Reachability).
inline constexpr const char* kReachabilityChangedNotification = "kNetworkReachabilityChangedNotification";

// Whether a target (the internet, the local Wi-Fi link, an address, a host) can be reached, read from the
// platform's reachability flags.
class Reachability : public ns::Object
{
public:
    // The default route: the IPv4 zero address.
    static ns::Ref<Reachability> reachabilityForInternetConnection();
    // The IPv4 link-local network 169.254.0.0, judged as the local Wi-Fi link.
    static ns::Ref<Reachability> reachabilityForLocalWiFi();
    // Nothing when the platform cannot make a reference for the address or name.
    static ns::Ref<Reachability> reachabilityWithAddress(const sockaddr_in& hostAddress);
    static ns::Ref<Reachability> reachabilityWithHostName(const std::string& hostName);
    ~Reachability() override;

    // Posts kReachabilityChangedNotification on the current run loop whenever the target's reachability
    // changes; true when the notifier runs.
    bool startNotifier();
    void stopNotifier();

    NetworkStatus currentReachabilityStatus() const;
    // Whether a connection must be made first (a link that comes up on demand); false when the flags
    // cannot be read.
    bool connectionRequired() const;

    NetworkStatus networkStatusForFlags(net::ReachabilityFlags flags) const;
    NetworkStatus localWiFiStatusForFlags(net::ReachabilityFlags flags) const;

    const ns::Ref<net::Reachability>& reachabilityRef() const { return m_reachabilityRef; }
    bool localWiFiRef() const { return m_localWiFiRef; }

    std::string className() const override { return "Reachability"; }

protected:
    Reachability(ns::Ref<net::Reachability> reference, bool localWiFi);
    friend ns::Factory<Reachability>;

private:
    ns::Ref<net::Reachability> m_reachabilityRef;
    bool m_localWiFiRef = false;
};

// The notifier's callback: `info` is the Reachability that asked; anything else is a programming error.
void ReachabilityCallback(net::Reachability& target, net::ReachabilityFlags flags, void* info);
