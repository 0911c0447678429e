#include "webservices/sharers/foursquare/SHKFoursquareV2VenuesForm.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/IndexPath.h"
#include "foundation/Text.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKLocalizedText.h"
#include "sharing/ui/SHKActivityIndicator.h"
#include "uikit/AlertView.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Label.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/TableViewCell.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Request.h"
#include "webservices/sharers/foursquare/SHKFoursquareV2Venue.h"

SHKFoursquareV2VenuesForm::SHKFoursquareV2VenuesForm() : ui::TableViewController(ui::TableViewStyle::Plain)
{
}

SHKFoursquareV2VenuesForm::~SHKFoursquareV2VenuesForm()
{
    if (m_locationManager) {
        if (m_significantChanges)
            m_locationManager->stopMonitoringSignificantLocationChanges();
        else
            m_locationManager->stopUpdatingLocation();
    }
}

ns::Ref<SHKFoursquareV2VenuesForm> SHKFoursquareV2VenuesForm::create(const ns::Ref<SHKFoursquareV2>& delegate)
{
    auto list = ns::Factory<SHKFoursquareV2VenuesForm>::make();
    list->m_delegate = delegate;
    list->setTitle(SHKLookupLocalizedText("Nearby Places"));
    auto weak = list->weakSelf<SHKFoursquareV2VenuesForm>();
    list->navigationItem()->setLeftBarButtonItem(
        ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Cancel, list, [weak](const ns::Id&) {
            if (auto form = weak.lock())
                form->cancel();
        }));
    return list;
}

void SHKFoursquareV2VenuesForm::viewDidLoad()
{
    ui::TableViewController::viewDidLoad();
    auto me = self<SHKFoursquareV2VenuesForm>();
    m_searchBar = ui::SearchBar::create();
    m_searchBar->setPlaceholder(SHKLookupLocalizedText("Search places"));
    m_searchBar->setDelegate(me);
    m_searchBar->sizeToFit();
    tableView()->setTableHeaderView(m_searchBar);
    m_searchDisplay = ui::SearchDisplayController::create(m_searchBar, me);
    m_searchDisplay->setDelegate(me);
    m_searchDisplay->setSearchResultsDataSource(me);
    m_searchDisplay->setSearchResultsDelegate(me);
}

void SHKFoursquareV2VenuesForm::viewWillAppear(bool animated)
{
    ui::TableViewController::viewWillAppear(animated);
    startMonitoringLocation();
}

void SHKFoursquareV2VenuesForm::viewDidDisappear(bool animated)
{
    ui::TableViewController::viewDidDisappear(animated);
    stopMonitoringLocation();
}

// MARK: The position

void SHKFoursquareV2VenuesForm::startMonitoringLocation()
{
    if (m_locationManager)
        return;
    m_locationManager = cl::LocationManager::create();
    m_locationManager->setDesiredAccuracy(cl::kCLLocationAccuracyBest);
    m_locationManager->setDelegate(self<SHKFoursquareV2VenuesForm>());
    m_significantChanges = cl::LocationManager::significantLocationChangeMonitoringAvailable();
    if (m_significantChanges)
        m_locationManager->startMonitoringSignificantLocationChanges();
    else
        m_locationManager->startUpdatingLocation();
    if (!m_location)
        SHKActivityIndicator::currentIndicator()->displayActivity(
            SHKLookupLocalizedText("Determine your location..."));
}

void SHKFoursquareV2VenuesForm::stopMonitoringLocation()
{
    if (m_locationManager) {
        if (m_significantChanges)
            m_locationManager->stopMonitoringSignificantLocationChanges();
        else
            m_locationManager->stopUpdatingLocation();
        m_locationManager->setDelegate(nullptr);
        m_locationManager = nullptr;
    }
    m_location = nullptr;
}

void SHKFoursquareV2VenuesForm::locationManagerDidUpdateToLocation(cl::LocationManager&,
                                                                   const ns::Ref<cl::Location>& newLocation,
                                                                   const ns::Ref<cl::Location>& oldLocation)
{
    m_location = newLocation;
    if (!oldLocation)
        startloadingVenues();
}

void SHKFoursquareV2VenuesForm::locationManagerDidFailWithError(cl::LocationManager&,
                                                                const ns::Ref<ns::Error>&)
{
    // Once the places are known a lost position changes nothing on screen.
    if (m_location)
        return;
    SHKActivityIndicator::currentIndicator()->hide();
    ui::AlertView::create(SHKLookupLocalizedText("Error"),
                          SHKLookupLocalizedText("Your location could not be determined."), nullptr,
                          SHKLookupLocalizedText("Close"))
        ->show();
}

// MARK: Searching

void SHKFoursquareV2VenuesForm::startloadingVenues()
{
    SHKActivityIndicator::currentIndicator()->displayActivity(SHKLookupLocalizedText("Searching places..."));
    auto sharer = delegate();
    std::string token = sharer ? sharer->accessToken().value_or("") : std::string();
    m_request = SHKFoursquareV2Request::requestVenuesSearchLocation(
        m_location, m_query, self<SHKFoursquareV2VenuesForm>(),
        SHKRequestFinishSelector(&SHKFoursquareV2VenuesForm::finishLoadingVenues), token, true);
}

void SHKFoursquareV2VenuesForm::finishLoadingVenues(SHKRequest& request)
{
    auto me = self<SHKFoursquareV2VenuesForm>();
    SHKActivityIndicator::currentIndicator()->hide();
    auto* reply = dynamic_cast<SHKFoursquareV2Request*>(&request);
    // The answer goes to the list the search was for: results of a search leave the main list as it was.
    bool searching = m_searchDisplay && m_searchDisplay->isActive();
    auto& target = searching ? m_filteredVenues : m_venues;
    if (target)
        target->clear();
    if (reply && request.success()) {
        target = SHKFoursquareV2Venue::venuesFromResponse(reply->getFoursquareResponse());
        if (searching)
            m_searchDisplay->searchResultsTableView()->reloadData();
        else
            tableView()->reloadData();
    } else if (auto sharer = delegate()) {
        if (reply)
            sharer->requestDidFail(*reply, SHKAwaitShare);
    }
    m_request = nullptr;
}

void SHKFoursquareV2VenuesForm::searchBarSearchButtonClicked(ui::SearchBar& searchBar)
{
    std::string text = ns::trimWhitespaceAndNewlines(searchBar.text());
    m_query = text.empty() ? std::nullopt : std::optional<std::string>(text);
    if (m_query)
        startloadingVenues();
}

void SHKFoursquareV2VenuesForm::cancel()
{
    auto me = self<SHKFoursquareV2VenuesForm>();
    SHK::currentHelper()->hideCurrentViewControllerAnimated(true);
    if (auto sharer = delegate())
        sharer->sendDidCancel();
}

// MARK: The tables

const std::optional<SHKFoursquareV2VenuesForm::Venues>&
SHKFoursquareV2VenuesForm::venuesFor(const ui::TableView& tableView) const
{
    if (m_searchDisplay && m_searchDisplay->searchResultsTableView().get() == &tableView)
        return m_filteredVenues;
    return m_venues;
}

long SHKFoursquareV2VenuesForm::numberOfSectionsInTableView(ui::TableView& tableView)
{
    return venuesFor(tableView) ? 1 : 0;
}

long SHKFoursquareV2VenuesForm::tableViewNumberOfRowsInSection(ui::TableView& tableView, std::size_t)
{
    const auto& list = venuesFor(tableView);
    return list ? static_cast<long>(list->size()) : 0;
}

ns::Ref<ui::TableViewCell>
SHKFoursquareV2VenuesForm::tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                          const ns::IndexPath& indexPath)
{
    auto cell = tableView.dequeueReusableCellWithIdentifier(CellIdentifier);
    if (!cell)
        cell = ui::TableViewCell::create(ui::TableViewCellStyle::Subtitle, CellIdentifier);
    const auto& list = venuesFor(tableView);
    if (list && indexPath.row() < list->size()) {
        const auto& venue = (*list)[indexPath.row()];
        cell->textLabel()->setText(venue->name());
        cell->detailTextLabel()->setText(venue->address());
    }
    cell->setAccessoryType(ui::TableViewCellAccessoryType::DisclosureIndicator);
    return cell;
}

void SHKFoursquareV2VenuesForm::tableViewDidSelectRowAtIndexPath(ui::TableView& tableView,
                                                                 const ns::IndexPath& indexPath)
{
    auto me = self<SHKFoursquareV2VenuesForm>();
    const auto& list = venuesFor(tableView);
    if (!list || indexPath.row() >= list->size())
        return;
    auto venue = (*list)[indexPath.row()];
    // Leaving the screen stops following the position and forgets it: the position goes along first.
    auto position = m_location;
    if (auto navigation = navigationController())
        navigation->popViewControllerAnimated(false);
    if (auto sharer = delegate()) {
        sharer->setVenue(venue);
        sharer->setLocation(position);
        sharer->showFoursquareV2CheckInForm();
    }
}
