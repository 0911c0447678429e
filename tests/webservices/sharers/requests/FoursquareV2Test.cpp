// The check-in sharer driven as a user drives it: the sign-in page, the venues list over the device's
// position, the search, the check-in form, against a fake check-in service on 127.0.0.1.
#include "ServiceSharerFixture.h"

#include "foundation/HTTPCookieStorage.h"
#include "foundation/IndexPath.h"
#include "foundation/URLRequest.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "system/Location.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Label.h"
#include "uikit/NavigationItem.h"
#include "uikit/TableView.h"
#include "uikit/TableViewCell.h"
#include "uikit/TextView.h"
#include "uikit/WebView.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2CheckInForm.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2OAuthView.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Venue.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2VenuesForm.h"

#include <gtest/gtest.h>

namespace {

using testkit::RecordedRequest;
using testkit::ScriptedReply;

constexpr const char* Redirect = "https://velmo.example/foursquare/done";
constexpr const char* Venues =
    R"({"meta":{"code":200},"response":{"venues":[)"
    R"({"id":"v1","name":"Café de Flore","location":{"address":"172 Bd Saint-Germain"},)"
    R"("categories":[{"primary":true,"icon":"https://x/cafe.png"}]},)"
    R"({"id":"v2","name":"Les Deux Magots","location":{"address":"6 Pl. Saint-Germain-des-Prés"}}]}})";
constexpr const char* Pizza =
    R"({"meta":{"code":200},"response":{"venues":[{"id":"p1","name":"Pizza Roma","location":{"address":"3 Rue"}}]}})";
constexpr const char* Refused = R"({"meta":{"code":401,"errorType":"invalid_auth"},"response":{}})";

class Foursquare : public ServiceSharerFixture
{
protected:
    Foursquare()
    {
        startService({"foursquareV2APIURL", "foursquareV2WebURL"});
        configure("foursquareV2ClientId", ns::String::make("CLIENT"));
        configure("foursquareV2RedirectURI", ns::String::make(Redirect));
        cl::LocationManager::resetDevice();
        // The sign-in page sends the browser on to the redirect address with the next token.
        ui::WebView::setDefaultPageSource([this](const ns::URLRequest& request) {
            ui::WebPage page;
            signInPages.push_back(request.URLString());
            if (request.URL() && request.URL()->path() == "/oauth2/authenticate") {
                page.setCookies.push_back("session=s1; Path=/");
                std::string next = Redirect;
                next += '#';
                next += tokens.empty() ? std::string("error=access_denied")
                                       : std::string("access_token=").append(tokens.front());
                if (!tokens.empty())
                    tokens.erase(tokens.begin());
                page.redirectTo = next;
            }
            return page;
        });
        server.route("/v2/venues/search", [](const RecordedRequest& request) {
            bool pizza = request.query.find("&query=pizza") != std::string::npos;
            return ScriptedReply::text(200, pizza ? Pizza : Venues);
        });
        server.route("/v2/checkins/add", [](const RecordedRequest& request) {
            if (request.query.find("oauth_token=DEAD&") != std::string::npos)
                return ScriptedReply::text(401, Refused);
            return ScriptedReply::text(200, R"({"meta":{"code":200},"response":{"checkin":{}}})");
        });
    }
    ~Foursquare() override
    {
        ui::WebView::setDefaultPageSource(nullptr);
        cl::LocationManager::resetDevice();
    }

    static std::optional<std::string> storedToken()
    {
        return SHK::getAuthValueForKey("accessToken", "SHKFoursquareV2");
    }
    ns::Ref<SHKFoursquareV2VenuesForm> list(const ns::Ref<SHKSharer>& sharer)
    {
        return ns::cast<SHKFoursquareV2VenuesForm>(sharer->topViewController());
    }
    // The requests of one path, in order.
    std::vector<RecordedRequest> requestsTo(const std::string& path)
    {
        std::vector<RecordedRequest> found;
        for (const auto& request : server.requests())
            if (request.path == path)
                found.push_back(request);
        return found;
    }
    // Shares the text and waits for the venues list on screen with its first answer.
    ns::Ref<SHKSharer> shareUntilTheListShows(const std::string& text)
    {
        auto sharer = SHKSharer::shareText("SHKFoursquareV2", text);
        EXPECT_TRUE(sharer);
        if (!sharer)
            return nullptr;
        EXPECT_TRUE(waitFor([&] {
            auto shown = list(sharer);
            return SHK::currentHelper()->currentView() == sharer && shown && shown->venues() &&
                   !shown->venues()->empty();
        }));
        settle();
        return sharer;
    }

    std::vector<std::string> tokens;
    std::vector<std::string> signInPages;
};

TEST_F(Foursquare, SignInPickAPlaceAndCheckIn)
{
    cl::LocationManager::setDevicePosition(cl::LocationCoordinate2D{48.8566, 2.3522});
    tokens = {"TOKEN1"};
    ReportLines log;
    auto sharer = shareUntilTheListShows("Bonjour à tous");
    ASSERT_TRUE(sharer);

    // The sign-in page was asked with the client id and the encoded redirect address; the token came
    // back in the fragment and went to the keychain.
    ASSERT_FALSE(signInPages.empty());
    EXPECT_EQ(signInPages.front(),
              server.url("/oauth2/authenticate?client_id=CLIENT&response_type=token"
                         "&redirect_uri=https%3A%2F%2Fvelmo.example%2Ffoursquare%2Fdone"));
    EXPECT_EQ(storedToken(), "TOKEN1");

    // The first position searched at once, with the token and the device's accuracy.
    auto searches = requestsTo("/v2/venues/search");
    ASSERT_EQ(searches.size(), 1u);
    EXPECT_EQ(searches[0].query, "oauth_token=TOKEN1&v=20110927&ll=48.85660,2.35220&llAcc=10.00&alt=0.00"
                                 "&altAcc=-1.00");
    auto venues = list(sharer);
    ASSERT_TRUE(venues);
    EXPECT_EQ(venues->title(), "Nearby Places");
    EXPECT_EQ(venues->searchBar()->placeholder(), "Search places");
    auto table = venues->tableView();
    ASSERT_EQ(table->numberOfRowsInSection(0), 2);
    auto cell = table->cellForRowAtIndexPath(ns::IndexPath(0, 1));
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->reuseIdentifier(), "SHKFoureSquareV2VenueCell");
    EXPECT_EQ(cell->textLabel()->text(), "Les Deux Magots");
    EXPECT_EQ(cell->detailTextLabel()->text(), "6 Pl. Saint-Germain-des-Prés");
    EXPECT_EQ(cell->accessoryType(), ui::TableViewCellAccessoryType::DisclosureIndicator);
    auto overlay = SHKActivityIndicator::currentIndicator();
    EXPECT_FALSE(overlay->superview() && overlay->alpha() > 0.99f) << "the overlay went with the answer";

    // A second position does not search again.
    cl::LocationManager::setDevicePosition(cl::LocationCoordinate2D{48.8600, 2.3600});
    settle();
    EXPECT_EQ(requestsTo("/v2/venues/search").size(), 1u);

    // Picking a place: the check-in form comes with the text and only "Check In".
    ASSERT_TRUE(driver.press("Les Deux Magots"));
    settle();
    auto form = ns::cast<SHKFoursquareV2CheckInForm>(sharer->topViewController());
    ASSERT_TRUE(form);
    // The list is the sharer's root, which a navigation controller never pops: it stays beneath.
    EXPECT_EQ(sharer->viewControllers().size(), 2u);
    EXPECT_EQ(form->textView()->text(), "Bonjour à tous");
    EXPECT_EQ(form->maxTextLength(), 140u);
    EXPECT_FALSE(form->navigationItem()->leftBarButtonItem());
    ASSERT_TRUE(form->navigationItem()->rightBarButtonItem());
    EXPECT_EQ(form->navigationItem()->rightBarButtonItem()->title(), "Check In");
    auto checkIn = ns::cast<SHKFoursquareV2>(sharer);
    ASSERT_TRUE(checkIn->venue());
    EXPECT_EQ(checkIn->venue()->venueId(), "v2");
    ASSERT_TRUE(checkIn->location());

    ASSERT_TRUE(driver.press("Check In"));
    ASSERT_TRUE(waitForLines(log, 3));
    auto checkins = requestsTo("/v2/checkins/add");
    ASSERT_EQ(checkins.size(), 1u);
    EXPECT_EQ(checkins[0].method, "POST");
    // The list's latest position goes with the check-in.
    EXPECT_EQ(checkins[0].query, "oauth_token=TOKEN1&v=20110927&venueId=v2&ll=48.86000,2.36000&llAcc=10.00"
                                 "&alt=0.00&altAcc=-1.00&shout=Bonjour%20%C3%A0%20tous");
    EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 1", "started", "finished"}));
    settle();
    EXPECT_FALSE(SHK::currentHelper()->currentView());
}

TEST_F(Foursquare, ARefusedTokenIsForgottenAndTheCheckInResumesAfterTheNewSignIn)
{
    SHK::setAuthValue("DEAD", "accessToken", "SHKFoursquareV2");
    cl::LocationManager::setDevicePosition(cl::LocationCoordinate2D{40.4168, -3.7038});
    tokens = {"FRESH"};
    ReportLines log;
    auto sharer = shareUntilTheListShows("Hola");
    ASSERT_TRUE(sharer);
    EXPECT_TRUE(signInPages.empty()) << "the stored token signs in";
    ASSERT_TRUE(driver.press("Café de Flore"));
    settle();
    ASSERT_TRUE(driver.press("Check In"));

    // Refused: the dead token goes, the sign-in page comes, and the same check-in goes out again with the
    // new token.
    ASSERT_TRUE(waitFor([&] { return requestsTo("/v2/checkins/add").size() >= 2; }));
    ASSERT_TRUE(waitForLines(log, 5));
    auto checkins = requestsTo("/v2/checkins/add");
    EXPECT_EQ(checkins[0].query.substr(0, 17), "oauth_token=DEAD&");
    EXPECT_EQ(checkins[1].query, "oauth_token=FRESH&v=20110927&venueId=v1&ll=40.41680,-3.70380&llAcc=10.00"
                                 "&alt=0.00&altAcc=-1.00&shout=Hola");
    EXPECT_EQ(signInPages.size(), 1u);
    EXPECT_EQ(storedToken(), "FRESH");
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"started", "failed: Could not authenticate you. Please relogin.",
                                        "started", "auth 1", "finished"}));
    EXPECT_TRUE(ui::AlertView::shownAlerts().empty()) << "the sign-in follows at once, without an alert";
    auto error = sharer->lastError();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), 401);
}

TEST_F(Foursquare, ARefusedTokenDuringTheSearchSignsInAgainAndShowsTheListAfresh)
{
    SHK::setAuthValue("DEAD", "accessToken", "SHKFoursquareV2");
    server.route("/v2/venues/search", [](const RecordedRequest& request) {
        bool dead = request.query.find("oauth_token=DEAD&") != std::string::npos;
        return dead ? ScriptedReply::text(401, Refused) : ScriptedReply::text(200, Venues);
    });
    cl::LocationManager::setDevicePosition(cl::LocationCoordinate2D{35.6762, 139.6503});
    tokens = {"FRESH"};
    ReportLines log;
    auto sharer = shareUntilTheListShows("Konnichiwa");
    ASSERT_TRUE(sharer);
    auto searches = requestsTo("/v2/venues/search");
    ASSERT_EQ(searches.size(), 2u);
    EXPECT_EQ(searches[0].query.substr(0, 17), "oauth_token=DEAD&");
    EXPECT_EQ(searches[1].query.substr(0, 18), "oauth_token=FRESH&");
    EXPECT_EQ(storedToken(), "FRESH");
    EXPECT_EQ(signInPages.size(), 1u);
    EXPECT_EQ(sharer->viewControllers().size(), 1u) << "one list, not one list per sign-in";
    EXPECT_EQ(log.lines,
              (std::vector<std::string>{"failed: Could not authenticate you. Please relogin.", "auth 1"}));
    EXPECT_TRUE(ui::AlertView::shownAlerts().empty());
}

TEST_F(Foursquare, SearchResultsGoToTheirOwnListAndLeaveTheMainOne)
{
    SHK::setAuthValue("T", "accessToken", "SHKFoursquareV2");
    cl::LocationManager::setDevicePosition(cl::LocationCoordinate2D{41.9028, 12.4964});
    auto sharer = shareUntilTheListShows("Ciao");
    ASSERT_TRUE(sharer);
    auto venues = list(sharer);
    ASSERT_TRUE(venues);

    // Typing does not search, and a text of blanks does not search either: it clears the query.
    ASSERT_TRUE(venues->searchBar()->becomeFirstResponder());
    ASSERT_TRUE(venues->searchDisplayController()->isActive());
    ASSERT_TRUE(driver.type("  \t"));
    ASSERT_TRUE(driver.type("\n"));
    settle();
    EXPECT_EQ(requestsTo("/v2/venues/search").size(), 1u);
    EXPECT_FALSE(venues->query());

    ASSERT_TRUE(driver.clearText());
    ASSERT_TRUE(driver.type(" pizza \n"));
    ASSERT_TRUE(waitFor([&] { return venues->filteredVenues().has_value(); }));
    auto searches = requestsTo("/v2/venues/search");
    ASSERT_EQ(searches.size(), 2u);
    EXPECT_EQ(searches[1].query, "oauth_token=T&v=20110927&ll=41.90280,12.49640&llAcc=10.00&alt=0.00"
                                 "&altAcc=-1.00&query=pizza");
    EXPECT_EQ(venues->query(), "pizza");
    ASSERT_EQ(venues->filteredVenues()->size(), 1u);
    ASSERT_TRUE(venues->venues());
    EXPECT_EQ(venues->venues()->size(), 2u) << "the main list keeps its places";
    auto results = venues->searchDisplayController()->searchResultsTableView();
    EXPECT_EQ(results->numberOfRowsInSection(0), 1);

    // Picking from the results takes the result's record.
    venues->tableViewDidSelectRowAtIndexPath(*results, ns::IndexPath(0, 0));
    settle();
    auto checkIn = ns::cast<SHKFoursquareV2>(sharer);
    ASSERT_TRUE(checkIn->venue());
    EXPECT_EQ(checkIn->venue()->venueId(), "p1");
    EXPECT_TRUE(ns::cast<SHKFoursquareV2CheckInForm>(sharer->topViewController()));
    // The user gives up: the share ends, and with it the sharer's hold on itself.
    checkIn->sendDidCancel();
    settle();
}

TEST_F(Foursquare, WithoutAFixTheListWaitsAndAFailedSearchIsReported)
{
    SHK::setAuthValue("T", "accessToken", "SHKFoursquareV2");
    server.route("/v2/venues/search", ScriptedReply::text(500, "<html>down</html>"));
    ReportLines log;
    auto sharer = SHKSharer::shareText("SHKFoursquareV2", "x");
    ASSERT_TRUE(sharer);
    settle();
    ASSERT_TRUE(list(sharer));
    auto overlay = SHKActivityIndicator::currentIndicator();
    ASSERT_TRUE(overlay->subMessageLabel());
    EXPECT_EQ(overlay->subMessageLabel()->text(), "Determine your location...");
    EXPECT_EQ(server.requestCount(), 0u);

    cl::LocationManager::setDevicePosition(cl::LocationCoordinate2D{1, 2});
    ASSERT_TRUE(waitForLines(log, 1));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"failed: There was an error while sharing"}));
    EXPECT_EQ(alertTexts(), (std::vector<std::string>{"Error: There was an error while sharing"}));
    EXPECT_EQ(storedToken(), "T") << "only a refusal forgets the token";
    auto venues = list(sharer);
    ASSERT_TRUE(venues);
    EXPECT_EQ(venues->tableView()->numberOfSections(), 0);

    // Cancel ends the share.
    ASSERT_TRUE(driver.answerAlert("Close"));
    ASSERT_TRUE(driver.press("Cancel"));
    ASSERT_TRUE(waitForLines(log, 2));
    EXPECT_EQ(log.lines.back(), "cancelled");
}

TEST_F(Foursquare, ARedirectWithoutATokenIsNoSignIn)
{
    ReportLines log;
    auto sharer = SHKSharer::shareText("SHKFoursquareV2", "x");
    ASSERT_TRUE(sharer);
    ASSERT_TRUE(waitForLines(log, 1));
    EXPECT_EQ(log.lines, (std::vector<std::string>{"auth 0"}));
    EXPECT_EQ(alertTexts(), (std::vector<std::string>{"Access Error: There was an error while sharing"}));
    EXPECT_FALSE(storedToken());
}

TEST_F(Foursquare, LogoutForgetsTheTokenAndTheSignInCookies)
{
    tokens = {"TOKEN1"};
    auto sharer = SHKSharer::shareText("SHKFoursquareV2", "x");
    ASSERT_TRUE(waitFor([] { return storedToken().has_value(); }));
    std::string page = server.url("/oauth2/authenticate");
    EXPECT_EQ(ns::HTTPCookieStorage::shared().cookiesForURLString(page).size(), 1u);
    auto meta = SHKSharerClass::named("SHKFoursquareV2");
    ASSERT_TRUE(meta);
    meta->logout();
    EXPECT_FALSE(storedToken());
    EXPECT_TRUE(ns::HTTPCookieStorage::shared().cookiesForURLString(page).empty());
    ns::cast<SHKFoursquareV2>(sharer)->sendDidCancel();
    settle();
}

TEST_F(Foursquare, ItCanShareOnlyWhereTheDeviceMayTellItsPosition)
{
    struct Row
    {
        const char* name;
        bool servicesEnabled;
        bool hasStatus;
        cl::CLAuthorizationStatus status;
        bool canShare;
    } rows[] = {
        {"not asked yet", true, true, cl::kCLAuthorizationStatusNotDetermined, true},
        {"allowed", true, true, cl::kCLAuthorizationStatusAuthorized, true},
        {"denied", true, true, cl::kCLAuthorizationStatusDenied, false},
        {"restricted", true, true, cl::kCLAuthorizationStatusRestricted, false},
        {"location off", false, true, cl::kCLAuthorizationStatusAuthorized, false},
        {"no status query on this system", true, false, cl::kCLAuthorizationStatusDenied, true},
    };
    auto meta = SHKSharerClass::named("SHKFoursquareV2");
    ASSERT_TRUE(meta);
    EXPECT_EQ(meta->sharerTitle(), "Foursquare");
    EXPECT_TRUE(meta->canShareText());
    EXPECT_FALSE(meta->canShareURL());
    EXPECT_FALSE(meta->canShareImage());
    EXPECT_FALSE(meta->canShareOffline());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        cl::LocationDevice device;
        device.servicesEnabled = row.servicesEnabled;
        device.hasAuthorizationStatus = row.hasStatus;
        device.authorizationStatus = row.status;
        cl::LocationManager::setDevice(device);
        EXPECT_EQ(meta->canShare(), row.canShare);
    }
}

} // namespace
