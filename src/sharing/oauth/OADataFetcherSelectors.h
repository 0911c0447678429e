#pragma once

#include "foundation/Data.h"
#include "foundation/Error.h"
#include "sharing/oauth/OAServiceTicket.h"

#include <functional>

// The two reports of a fetch, each called with the delegate the fetcher holds: finish with the body,
// fail with the error (nil when no connection could be made).
using OADidFinishSelector =
    std::function<void(ns::Object& delegate, OAServiceTicket& ticket, const ns::Ref<ns::Data>& data)>;
using OADidFailSelector =
    std::function<void(ns::Object& delegate, OAServiceTicket& ticket, const ns::Ref<ns::Error>& error)>;

// Selectors from member functions of the delegate's class.
template <class T>
OADidFinishSelector OAFinishSelector(void (T::*member)(OAServiceTicket&, const ns::Ref<ns::Data>&))
{
    return [member](ns::Object& delegate, OAServiceTicket& ticket, const ns::Ref<ns::Data>& data) {
        (static_cast<T&>(delegate).*member)(ticket, data);
    };
}
template <class T>
OADidFailSelector OAFailSelector(void (T::*member)(OAServiceTicket&, const ns::Ref<ns::Error>&))
{
    return [member](ns::Object& delegate, OAServiceTicket& ticket, const ns::Ref<ns::Error>& error) {
        (static_cast<T&>(delegate).*member)(ticket, error);
    };
}
