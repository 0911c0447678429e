#pragma once

#include "foundation/Object.h"

namespace ns {

using TimeInterval = double; // seconds

// A moment, as seconds since 1970-01-01 00:00:00 UTC.
class Date : public Object
{
public:
    explicit Date(TimeInterval secondsSince1970 = 0) : m_seconds(secondsSince1970) {}

    static Ref<Date> now(); // from the current clock
    static Ref<Date> withTimeIntervalSince1970(TimeInterval seconds) { return make<Date>(seconds); }
    static Ref<Date> withTimeIntervalSinceNow(TimeInterval seconds);
    static Ref<Date> distantFuture();
    static Ref<Date> distantPast();

    TimeInterval timeIntervalSince1970() const { return m_seconds; }
    TimeInterval timeIntervalSinceNow() const;
    TimeInterval timeIntervalSinceDate(const Date& other) const { return m_seconds - other.m_seconds; }
    int compare(const Date& other) const
    {
        return m_seconds < other.m_seconds ? -1 : (m_seconds > other.m_seconds);
    }

    std::string className() const override { return "NSDate"; }
    std::string description() const override; // "2011-03-13 07:06:40 +0000"
    bool isEqual(const Object& other) const override;
    std::size_t hash() const override;

private:
    TimeInterval m_seconds;
};

} // namespace ns
