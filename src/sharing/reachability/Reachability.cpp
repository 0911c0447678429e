#include "sharing/reachability/Reachability.h"

#include "foundation/Exception.h"
#include "foundation/NotificationCenter.h"
#include "foundation/RunLoop.h"

#include <arpa/inet.h>

namespace {

sockaddr_in ipv4Address(uint32_t hostOrder)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(hostOrder);
    return address;
}

} // namespace

Reachability::Reachability(ns::Ref<net::Reachability> reference, bool localWiFi)
    : m_reachabilityRef(std::move(reference)), m_localWiFiRef(localWiFi)
{
}

Reachability::~Reachability()
{
    // The reference must not call back into an object that is going.
    stopNotifier();
    if (m_reachabilityRef)
        m_reachabilityRef->setCallback(nullptr, nullptr);
}

ns::Ref<Reachability> Reachability::reachabilityForInternetConnection()
{
    return reachabilityWithAddress(ipv4Address(INADDR_ANY));
}

ns::Ref<Reachability> Reachability::reachabilityForLocalWiFi()
{
    auto reachability = reachabilityWithAddress(ipv4Address(0xA9FE0000)); // 169.254.0.0
    if (reachability)
        reachability->m_localWiFiRef = true;
    return reachability;
}

ns::Ref<Reachability> Reachability::reachabilityWithAddress(const sockaddr_in& hostAddress)
{
    auto reference = net::Reachability::withAddress(hostAddress);
    if (!reference)
        return nullptr;
    return ns::Factory<Reachability>::make(std::move(reference), false);
}

ns::Ref<Reachability> Reachability::reachabilityWithHostName(const std::string& hostName)
{
    auto reference = net::Reachability::withName(hostName);
    if (!reference)
        return nullptr;
    return ns::Factory<Reachability>::make(std::move(reference), false);
}

void ReachabilityCallback(net::Reachability&, net::ReachabilityFlags, void* info)
{
    NS_ASSERT(info != nullptr, "info was NULL in ReachabilityCallback");
    auto* reachability = dynamic_cast<Reachability*>(static_cast<ns::Object*>(info));
    NS_ASSERT(reachability != nullptr, "info was wrong class in ReachabilityCallback");
    ns::NotificationCenter::defaultCenter().postNotification(kReachabilityChangedNotification,
                                                             reachability->self<Reachability>());
}

bool Reachability::startNotifier()
{
    if (!m_reachabilityRef)
        return false;
    return m_reachabilityRef->setCallback(ReachabilityCallback, static_cast<ns::Object*>(this)) &&
           m_reachabilityRef->scheduleWithRunLoop(ns::RunLoop::current());
}

void Reachability::stopNotifier()
{
    if (m_reachabilityRef)
        m_reachabilityRef->unscheduleFromRunLoop(ns::RunLoop::current());
}

NetworkStatus Reachability::localWiFiStatusForFlags(net::ReachabilityFlags flags) const
{
    if ((flags & net::kSCNetworkReachabilityFlagsReachable) &&
        (flags & net::kSCNetworkReachabilityFlagsIsDirect))
        return ReachableViaWiFi;
    return NotReachable;
}

NetworkStatus Reachability::networkStatusForFlags(net::ReachabilityFlags flags) const
{
    if (!(flags & net::kSCNetworkReachabilityFlagsReachable))
        return NotReachable;
    // The mobile network counts whatever else the flags say.
    if (flags & net::kSCNetworkReachabilityFlagsIsWWAN)
        return ReachableViaWWAN;
    if (!(flags & net::kSCNetworkReachabilityFlagsConnectionRequired))
        return ReachableViaWiFi;
    // A link that comes up by itself, on traffic or on demand, counts unless the user must act first.
    if ((flags & (net::kSCNetworkReachabilityFlagsConnectionOnTraffic |
                  net::kSCNetworkReachabilityFlagsConnectionOnDemand)) &&
        !(flags & net::kSCNetworkReachabilityFlagsInterventionRequired))
        return ReachableViaWiFi;
    return NotReachable;
}

NetworkStatus Reachability::currentReachabilityStatus() const
{
    NS_ASSERT(m_reachabilityRef != nullptr, "currentNetworkStatus called with NULL reachabilityRef");
    net::ReachabilityFlags flags = 0;
    if (!m_reachabilityRef->getFlags(&flags))
        return NotReachable;
    return m_localWiFiRef ? localWiFiStatusForFlags(flags) : networkStatusForFlags(flags);
}

bool Reachability::connectionRequired() const
{
    NS_ASSERT(m_reachabilityRef != nullptr, "connectionRequired called with NULL reachabilityRef");
    net::ReachabilityFlags flags = 0;
    if (!m_reachabilityRef->getFlags(&flags))
        return false;
    return (flags & net::kSCNetworkReachabilityFlagsConnectionRequired) != 0;
}
