#pragma once

#include "sharing/core/SHKRequest.h"

#include <optional>
#include <string>

namespace cl {
class Location;
}
class SHKFoursquareV2Venue;

// One call to version 2 of the check-in service's API, which answers in a JSON envelope: "meta" (the
// code and, on failure, the error type) and "response". Every call carries the access token and the API
// version; positions go out with five decimals, accuracies and altitude with two, whatever the locale.
class SHKFoursquareV2Request : public SHKRequest
{
public:
    static constexpr const char* APIVersion = "20110927";

    // The API's base: the configured API host followed by "/v2".
    static std::string apiBase();

    // GET "/users/<id>".
    static ns::Ref<SHKFoursquareV2Request> requestProfileForUserId(const std::string& userId, ns::Id delegate,
                                                                   SHKRequestSelector isFinishedSelector,
                                                                   const std::string& accessToken,
                                                                   bool autostart);
    // GET "/venues/search" near the position (zeros without one), matching the query when there is one.
    static ns::Ref<SHKFoursquareV2Request> requestVenuesSearchLocation(
        const ns::Ref<cl::Location>& location, const std::optional<std::string>& query, ns::Id delegate,
        SHKRequestSelector isFinishedSelector, const std::string& accessToken, bool autostart);
    // POST "/checkins/add" with an empty body: the venue, the position, and the message as the shout when
    // it is not empty.
    static ns::Ref<SHKFoursquareV2Request>
    requestCheckinLocation(const ns::Ref<cl::Location>& location, const ns::Ref<SHKFoursquareV2Venue>& venue,
                           const std::optional<std::string>& message, ns::Id delegate,
                           SHKRequestSelector isFinishedSelector, const std::string& accessToken,
                           bool autostart);

    // A reply's text read as the service's envelope: the JSON object, or nothing for anything else.
    static ns::Ref<ns::Dictionary> resultFromText(const std::optional<std::string>& text);

    // Forgets what an earlier run parsed, then sends.
    void start() override;

    // The reply parsed as a JSON object; nothing when it is not one. Parsed once.
    ns::Ref<ns::Dictionary> getFoursquareResult();
    ns::Ref<ns::Dictionary> getFoursquareMeta();
    ns::Ref<ns::Dictionary> getFoursquareResponse();
    // Nothing when the request succeeded (200 or 201); else the meta's error, made once.
    ns::Ref<ns::Error> getFoursquareError();

    std::string className() const override { return "SHKFoursquareV2Request"; }

protected:
    using SHKRequest::SHKRequest;
    friend ns::Factory<SHKFoursquareV2Request>;

private:
    static ns::Ref<SHKFoursquareV2Request> make(const std::string& address, const char* method,
                                                ns::Id delegate, SHKRequestSelector isFinishedSelector,
                                                bool autostart);

    std::mutex m_cacheMutex;
    std::optional<ns::Ref<ns::Dictionary>> m_result; // parsed (possibly to nothing) once
    ns::Ref<ns::Error> m_error;
};
