#include "foundation/Date.h"

#include "foundation/Clock.h"
#include "foundation/Format.h"

#include <cmath>
#include <ctime>
#include <functional>

namespace ns {

Ref<Date> Date::now()
{
    return make<Date>(Clock::current().now());
}

Ref<Date> Date::withTimeIntervalSinceNow(TimeInterval seconds)
{
    return make<Date>(Clock::current().now() + seconds);
}

// The platform's distant dates are the first days of year 4001 and year 1.
Ref<Date> Date::distantFuture()
{
    return make<Date>(64092211200.0);
}

Ref<Date> Date::distantPast()
{
    return make<Date>(-62135769600.0);
}

TimeInterval Date::timeIntervalSinceNow() const
{
    return m_seconds - Clock::current().now();
}

std::string Date::description() const
{
    std::time_t seconds = static_cast<std::time_t>(std::floor(m_seconds));
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    return format("%04d-%02d-%02d %02d:%02d:%02d +0000", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
}

bool Date::isEqual(const Object& other) const
{
    auto* date = dynamic_cast<const Date*>(&other);
    return date && date->m_seconds == m_seconds;
}

std::size_t Date::hash() const
{
    return std::hash<double>()(m_seconds);
}

} // namespace ns
