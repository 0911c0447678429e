#include "system/Reachability.h"

#include "foundation/RunLoop.h"
#include "foundation/Text.h"

#include <algorithm>
#include <arpa/inet.h>
#include <fstream>
#include <mutex>
#include <sstream>
#include <vector>

namespace net {
namespace {

struct Settings
{
    std::mutex mutex;
    std::optional<ReachabilityFlags> flags;
    bool readFails = false;
    bool overridden = false;
    std::optional<std::string> routeTable;
    // The references scheduled on a run loop, and the loop of each.
    std::vector<std::pair<ns::Weak<Reachability>, ns::RunLoop*>> scheduled;
};

Settings& settings()
{
    static Settings* shared = new Settings(); // read by any thread until exit
    return *shared;
}

constexpr unsigned kRouteUp = 0x0001; // RTF_UP

struct Routes
{
    bool defaultRoute = false; // to the internet, through a gateway or a direct link
    bool localNetwork = false; // some interface other than loopback has a route up
};

// /proc/net/route: a heading, then "Iface Destination Gateway Flags RefCnt Use Metric Mask ..." in hex.
bool readRoutes(const std::string& path, Routes& routes)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    if (!std::getline(in, line))
        return false;
    int count = 0;
    while (std::getline(in, line) && ++count < 100000) {
        std::istringstream fields(line);
        std::string iface, destination, gateway, flagsText, refs, use, metric, mask;
        if (!(fields >> iface >> destination >> gateway >> flagsText >> refs >> use >> metric >> mask))
            continue;
        if (iface == "lo")
            continue;
        unsigned flags = 0;
        try {
            flags = static_cast<unsigned>(std::stoul(flagsText, nullptr, 16));
        } catch (...) {
            continue;
        }
        if (!(flags & kRouteUp))
            continue;
        routes.localNetwork = true;
        if (destination == "00000000" && mask == "00000000")
            routes.defaultRoute = true;
    }
    return true;
}

bool isLoopbackName(const std::string& host)
{
    std::string lower = ns::toLowerAscii(host);
    if (lower == "localhost" || ns::hasSuffix(lower, ".localhost"))
        return true;
    in_addr address{};
    return inet_pton(AF_INET, host.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127;
}

} // namespace

ns::Ref<Reachability> Reachability::withAddress(const std::string& address)
{
    in_addr parsed{};
    if (inet_pton(AF_INET, address.c_str(), &parsed) != 1)
        return nullptr;
    uint32_t value = ntohl(parsed.s_addr);
    if (value == 0)
        return create(Kind::Internet, address);
    if ((value >> 24) == 127)
        return create(Kind::Loopback, address);
    if ((value >> 16) == 0xA9FE) // 169.254/16
        return create(Kind::LinkLocal, address);
    return create(Kind::Host, address);
}

ns::Ref<Reachability> Reachability::withAddress(const sockaddr_in& address)
{
    if (address.sin_family != AF_INET)
        return nullptr;
    char text[INET_ADDRSTRLEN] = {};
    if (!inet_ntop(AF_INET, &address.sin_addr, text, sizeof text))
        return nullptr;
    return withAddress(std::string(text));
}

ns::Ref<Reachability> Reachability::withName(const std::string& host)
{
    if (host.empty() || host.size() > 253)
        return nullptr;
    return create(isLoopbackName(host) ? Kind::Loopback : Kind::Host, host);
}

Reachability::~Reachability()
{
    if (m_loop)
        unscheduleFromRunLoop(*m_loop);
}

void Reachability::setOverride(std::optional<ReachabilityFlags> flags, bool readFails)
{
    std::vector<std::pair<ns::Weak<Reachability>, ns::RunLoop*>> scheduled;
    {
        Settings& s = settings();
        std::lock_guard lock(s.mutex);
        s.overridden = flags.has_value() || readFails;
        s.flags = flags;
        s.readFails = readFails;
        scheduled = s.scheduled;
    }
    for (auto& [weak, loop] : scheduled)
        loop->post([weak = weak] {
            if (auto target = weak.lock())
                target->checkForChange();
        });
}

std::optional<ReachabilityFlags> Reachability::overrideFlags()
{
    Settings& s = settings();
    std::lock_guard lock(s.mutex);
    if (!s.overridden || s.readFails)
        return std::nullopt;
    return s.flags.value_or(0);
}

void Reachability::setNetworkOn(bool on)
{
    setOverride(on ? kSCNetworkReachabilityFlagsReachable : 0);
}

bool Reachability::isNetworkOn()
{
    ReachabilityFlags flags = 0;
    auto internet = withAddress(std::string("0.0.0.0"));
    return internet && internet->getFlags(&flags) && (flags & kSCNetworkReachabilityFlagsReachable);
}

bool Reachability::setCallback(Callback callback, void* info)
{
    m_callback = callback;
    m_info = callback ? info : nullptr;
    return true;
}

bool Reachability::scheduleWithRunLoop(ns::RunLoop& loop)
{
    if (m_loop)
        return m_loop == &loop;
    ReachabilityFlags flags = 0;
    m_lastFlags = getFlags(&flags) ? std::optional(flags) : std::nullopt;
    m_loop = &loop;
    Settings& s = settings();
    std::lock_guard lock(s.mutex);
    s.scheduled.emplace_back(ns::Weak<Reachability>(self<Reachability>()), &loop);
    return true;
}

bool Reachability::unscheduleFromRunLoop(ns::RunLoop& loop)
{
    if (m_loop != &loop)
        return false;
    m_loop = nullptr;
    Settings& s = settings();
    std::lock_guard lock(s.mutex);
    std::erase_if(s.scheduled, [this](const auto& entry) {
        auto target = entry.first.lock();
        return !target || target.get() == this;
    });
    return true;
}

void Reachability::checkForChange()
{
    if (!m_loop)
        return;
    ReachabilityFlags flags = 0;
    std::optional<ReachabilityFlags> now = getFlags(&flags) ? std::optional(flags) : std::nullopt;
    if (now == m_lastFlags)
        return;
    m_lastFlags = now;
    if (m_callback && now)
        m_callback(*this, *now, m_info);
}

void Reachability::setRouteTablePath(std::optional<std::string> path)
{
    Settings& s = settings();
    std::lock_guard lock(s.mutex);
    s.routeTable = std::move(path);
}

bool Reachability::getFlags(ReachabilityFlags* flags) const
{
    std::string table;
    {
        Settings& s = settings();
        std::lock_guard lock(s.mutex);
        if (s.overridden) {
            if (s.readFails)
                return false;
            if (flags)
                *flags = s.flags.value_or(0);
            return true;
        }
        table = s.routeTable.value_or("/proc/net/route");
    }
    ReachabilityFlags result = 0;
    if (m_kind == Kind::Loopback) {
        result = kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsLocalAddress |
                 kSCNetworkReachabilityFlagsIsDirect;
    } else {
        Routes routes;
        if (!readRoutes(table, routes))
            return false;
        if (m_kind == Kind::LinkLocal) {
            if (routes.localNetwork)
                result = kSCNetworkReachabilityFlagsReachable | kSCNetworkReachabilityFlagsIsDirect;
        } else if (routes.defaultRoute) {
            result = kSCNetworkReachabilityFlagsReachable;
        }
    }
    if (flags)
        *flags = result;
    return true;
}

} // namespace net
