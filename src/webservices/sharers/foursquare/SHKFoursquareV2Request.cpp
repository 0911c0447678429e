#include "webservices/sharers/foursquare/SHKFoursquareV2Request.h"

#include "foundation/Dictionary.h"
#include "foundation/Error.h"
#include "foundation/Format.h"
#include "foundation/URL.h"
#include "sharing/oauth/OAURLEncoding.h"
#include "system/Location.h"
#include "webservices/sharers/common/SHKServiceSupport.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Error.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Venue.h"
#include "webservices/strictjson/StrictJSON.h"

namespace {

constexpr const char* APIKey = "foursquareV2APIURL";

// "<base><path>?oauth_token=<token>&v=<version>".
std::string address(std::string_view path, const std::string& accessToken)
{
    std::string text = SHKFoursquareV2Request::apiBase();
    text += path;
    text += "?oauth_token=";
    text += accessToken;
    text += "&v=";
    text += SHKFoursquareV2Request::APIVersion;
    return text;
}

// The four position parameters, all zero without a position. The formatter writes a point in every locale.
void appendLocation(std::string& text, const ns::Ref<cl::Location>& location)
{
    double latitude = 0, longitude = 0, accuracy = 0, altitude = 0, altitudeAccuracy = 0;
    if (location) {
        latitude = location->coordinate().latitude;
        longitude = location->coordinate().longitude;
        accuracy = location->horizontalAccuracy();
        altitude = location->altitude();
        altitudeAccuracy = location->verticalAccuracy();
    }
    text += ns::format("&ll=%.5lf,%.5lf", latitude, longitude);
    text += ns::format("&llAcc=%.2lf", accuracy);
    text += ns::format("&alt=%.2lf", altitude);
    text += ns::format("&altAcc=%.2lf", altitudeAccuracy);
}

} // namespace

std::string SHKFoursquareV2Request::apiBase()
{
    return SHKServiceAddress(APIKey, "/v2");
}

ns::Ref<SHKFoursquareV2Request> SHKFoursquareV2Request::make(const std::string& text, const char* method,
                                                             ns::Id delegate,
                                                             SHKRequestSelector isFinishedSelector,
                                                             bool autostart)
{
    auto request = ns::Factory<SHKFoursquareV2Request>::make(
        ns::URL::withString(text), std::nullopt, std::optional<std::string>(method), std::move(delegate),
        std::move(isFinishedSelector));
    if (autostart)
        request->start();
    return request;
}

ns::Ref<SHKFoursquareV2Request>
SHKFoursquareV2Request::requestProfileForUserId(const std::string& userId, ns::Id delegate,
                                                SHKRequestSelector isFinishedSelector,
                                                const std::string& accessToken, bool autostart)
{
    std::string path = "/users/";
    path += userId;
    return make(address(path, accessToken), "GET", std::move(delegate), std::move(isFinishedSelector),
                autostart);
}

ns::Ref<SHKFoursquareV2Request> SHKFoursquareV2Request::requestVenuesSearchLocation(
    const ns::Ref<cl::Location>& location, const std::optional<std::string>& query, ns::Id delegate,
    SHKRequestSelector isFinishedSelector, const std::string& accessToken, bool autostart)
{
    std::string text = address("/venues/search", accessToken);
    appendLocation(text, location);
    if (query) {
        text += "&query=";
        text += OAURLEncoding::URLEncodedString(*query);
    }
    return make(text, "GET", std::move(delegate), std::move(isFinishedSelector), autostart);
}

ns::Ref<SHKFoursquareV2Request> SHKFoursquareV2Request::requestCheckinLocation(
    const ns::Ref<cl::Location>& location, const ns::Ref<SHKFoursquareV2Venue>& venue,
    const std::optional<std::string>& message, ns::Id delegate, SHKRequestSelector isFinishedSelector,
    const std::string& accessToken, bool autostart)
{
    std::string text = address("/checkins/add", accessToken);
    text += "&venueId=";
    if (venue)
        text += venue->venueId().value_or("");
    appendLocation(text, location);
    if (message && !message->empty()) {
        text += "&shout=";
        text += OAURLEncoding::URLEncodedString(*message);
    }
    // A POST whose parameters all stand in the address: its body is empty.
    auto request = make(text, "POST", std::move(delegate), std::move(isFinishedSelector), false);
    request->setParams(std::string());
    if (autostart)
        request->start();
    return request;
}

ns::Ref<ns::Dictionary> SHKFoursquareV2Request::resultFromText(const std::optional<std::string>& text)
{
    auto parser = ns::make<StrictJSON>();
    return ns::cast<ns::Dictionary>(parser->objectWithString(text));
}

void SHKFoursquareV2Request::start()
{
    {
        std::lock_guard lock(m_cacheMutex);
        m_result.reset();
        m_error = nullptr;
    }
    SHKRequest::start();
}

ns::Ref<ns::Dictionary> SHKFoursquareV2Request::getFoursquareResult()
{
    std::lock_guard lock(m_cacheMutex);
    if (!m_result)
        m_result = resultFromText(getResult());
    return *m_result;
}

ns::Ref<ns::Dictionary> SHKFoursquareV2Request::getFoursquareMeta()
{
    auto result = getFoursquareResult();
    return result ? result->objectAs<ns::Dictionary>("meta") : nullptr;
}

ns::Ref<ns::Dictionary> SHKFoursquareV2Request::getFoursquareResponse()
{
    auto result = getFoursquareResult();
    return result ? result->objectAs<ns::Dictionary>("response") : nullptr;
}

ns::Ref<ns::Error> SHKFoursquareV2Request::getFoursquareError()
{
    if (success())
        return nullptr;
    auto meta = getFoursquareMeta();
    std::lock_guard lock(m_cacheMutex);
    if (!m_error)
        m_error = errorWithFoursquareMeta(meta);
    return m_error;
}
