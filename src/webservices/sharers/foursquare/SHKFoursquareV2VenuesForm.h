#pragma once

#include "system/Location.h"
#include "uikit/SearchBar.h"
#include "uikit/SearchDisplayController.h"
#include "uikit/TableViewController.h"

#include <optional>
#include <string>
#include <vector>

class SHKFoursquareV2;
class SHKFoursquareV2Request;
class SHKFoursquareV2Venue;
class SHKRequest;

// The list of places near the device: it follows the position while on screen, asks the service for
// nearby places once the first position is known (or for those matching a search), and hands the picked
// place to the sharer, which shows the check-in form.
class SHKFoursquareV2VenuesForm : public ui::TableViewController,
                                  public ui::SearchDisplayDelegate,
                                  public ui::SearchBarDelegate,
                                  public cl::LocationManagerDelegate
{
public:
    using Venues = std::vector<ns::Ref<SHKFoursquareV2Venue>>;
    static constexpr const char* CellIdentifier = "SHKFoureSquareV2VenueCell";

    // initWithDelegate: titled "Nearby Places", with Cancel on the left.
    static ns::Ref<SHKFoursquareV2VenuesForm> create(const ns::Ref<SHKFoursquareV2>& delegate);
    ~SHKFoursquareV2VenuesForm() override;

    ns::Ref<SHKFoursquareV2> delegate() const { return m_delegate.lock(); }
    const ns::Ref<SHKFoursquareV2Request>& request() const { return m_request; }
    const ns::Ref<cl::LocationManager>& locationManager() const { return m_locationManager; }
    const ns::Ref<cl::Location>& location() const { return m_location; }
    const std::optional<std::string>& query() const { return m_query; }
    // Nothing until the first answer arrives.
    const std::optional<Venues>& venues() const { return m_venues; }
    const std::optional<Venues>& filteredVenues() const { return m_filteredVenues; }
    using ui::SearchBarDelegate::searchBar;
    const ns::Ref<ui::SearchBar>& searchBar() const { return m_searchBar; }
    const ns::Ref<ui::SearchDisplayController>& searchDisplayController() const { return m_searchDisplay; }

    void startMonitoringLocation();
    void stopMonitoringLocation();
    void startloadingVenues();
    void finishLoadingVenues(SHKRequest& request);
    void cancel();

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation) const override { return true; }

    long numberOfSectionsInTableView(ui::TableView& tableView) override;
    long tableViewNumberOfRowsInSection(ui::TableView& tableView, std::size_t section) override;
    ns::Ref<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView& tableView,
                                                              const ns::IndexPath& indexPath) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView& tableView, const ns::IndexPath& indexPath) override;

    void locationManagerDidUpdateToLocation(cl::LocationManager& manager,
                                            const ns::Ref<cl::Location>& newLocation,
                                            const ns::Ref<cl::Location>& oldLocation) override;
    // No position to search around: the user hears of it instead of waiting under the overlay. The
    // manager goes on looking, and a position found later still starts the search.
    void locationManagerDidFailWithError(cl::LocationManager& manager,
                                         const ns::Ref<ns::Error>& error) override;

    // Typing does not search: only the search button does.
    bool searchDisplayControllerShouldReloadTableForSearchString(ui::SearchDisplayController&,
                                                                 const std::string&) override
    {
        return false;
    }
    bool searchDisplayControllerShouldReloadTableForSearchScope(ui::SearchDisplayController&, long) override
    {
        return false;
    }
    void searchBarSearchButtonClicked(ui::SearchBar& searchBar) override;

    std::string className() const override { return "SHKFoursquareV2VenuesForm"; }

protected:
    SHKFoursquareV2VenuesForm();
    friend ns::Factory<SHKFoursquareV2VenuesForm>;

private:
    // The list a table shows: the search results table shows the search's, every other the main list.
    const std::optional<Venues>& venuesFor(const ui::TableView& tableView) const;

    ns::Weak<SHKFoursquareV2> m_delegate;
    ns::Ref<SHKFoursquareV2Request> m_request;
    ns::Ref<cl::LocationManager> m_locationManager;
    bool m_significantChanges = false; // which kind of monitoring the manager runs
    ns::Ref<cl::Location> m_location;
    std::optional<std::string> m_query;
    std::optional<Venues> m_venues;
    std::optional<Venues> m_filteredVenues;
    ns::Ref<ui::SearchBar> m_searchBar;
    ns::Ref<ui::SearchDisplayController> m_searchDisplay;
};
