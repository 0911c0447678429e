#pragma once

#include "foundation/Object.h"

#include <string>

namespace ui {

class SearchBar;
class SearchDisplayController;
class TableView;
class TableViewDataSource;
class TableViewDelegate;
class ViewController;

class SearchDisplayDelegate
{
public:
    virtual ~SearchDisplayDelegate() = default;
    virtual void searchDisplayControllerWillBeginSearch(SearchDisplayController&) {}
    virtual void searchDisplayControllerDidBeginSearch(SearchDisplayController&) {}
    virtual void searchDisplayControllerWillEndSearch(SearchDisplayController&) {}
    virtual void searchDisplayControllerDidEndSearch(SearchDisplayController&) {}
    // searchDisplayController:didLoadSearchResultsTableView:, ...willShow..., ...didHide...
    virtual void searchDisplayControllerDidLoadSearchResultsTableView(SearchDisplayController&, TableView&) {}
    virtual void searchDisplayControllerWillShowSearchResultsTableView(SearchDisplayController&, TableView&)
    {
    }
    virtual void searchDisplayControllerDidHideSearchResultsTableView(SearchDisplayController&, TableView&) {}
    // searchDisplayController:shouldReloadTableForSearchString: and ...ForSearchScope:
    virtual bool searchDisplayControllerShouldReloadTableForSearchString(SearchDisplayController&,
                                                                         const std::string&)
    {
        return true;
    }
    virtual bool searchDisplayControllerShouldReloadTableForSearchScope(SearchDisplayController&, long)
    {
        return true;
    }
};

// Runs a search from a search bar over a controller's content: becomes active when the bar starts editing,
// shows a second table of results (on its own data source and delegate) while there is text, and ends
// on the bar's Cancel button.
class SearchDisplayController : public ns::Object
{
public:
    static ns::Ref<SearchDisplayController> create(const ns::Ref<SearchBar>& searchBar,
                                                   const ns::Ref<ViewController>& contentsController)
    {
        return ns::Factory<SearchDisplayController>::make(searchBar, contentsController);
    }
    ~SearchDisplayController() override;

    const ns::Ref<SearchBar>& searchBar() const { return m_searchBar; }
    ns::Ref<ViewController> searchContentsController() const { return m_contents.lock(); }
    bool isActive() const { return m_active; }
    void setActive(bool active, bool animated = false);

    // Made on first use with the results data source and delegate.
    const ns::Ref<TableView>& searchResultsTableView();
    bool isShowingResults() const { return m_showingResults; }
    void setSearchResultsDataSource(const ns::Ref<TableViewDataSource>& dataSource);
    void setSearchResultsDelegate(const ns::Ref<TableViewDelegate>& delegate);
    ns::Ref<SearchDisplayDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(const ns::Ref<SearchDisplayDelegate>& delegate) { m_delegate = delegate; }

    std::string className() const override { return "UISearchDisplayController"; }

    // From the search bar.
    void searchBarDidBeginEditing();
    void searchBarTextChanged(const std::string& text);
    void searchBarScopeChanged(long scope);
    void searchBarCancelled();

protected:
    SearchDisplayController(const ns::Ref<SearchBar>& searchBar,
                            const ns::Ref<ViewController>& contentsController);
    friend ns::Factory<SearchDisplayController>;

private:
    void showResults();
    void hideResults();

    ns::Ref<SearchBar> m_searchBar;
    ns::Weak<ViewController> m_contents;
    ns::Ref<TableView> m_resultsTable;
    ns::Weak<TableViewDataSource> m_resultsDataSource;
    ns::Weak<TableViewDelegate> m_resultsDelegate;
    ns::Weak<SearchDisplayDelegate> m_delegate;
    bool m_active = false;
    bool m_showingResults = false;
};

} // namespace ui
