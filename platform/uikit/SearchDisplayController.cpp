#include "uikit/SearchDisplayController.h"

#include "uikit/SearchBar.h"
#include "uikit/TableView.h"
#include "uikit/ViewController.h"

namespace ui {

SearchDisplayController::SearchDisplayController(const ns::Ref<SearchBar>& searchBar,
                                                 const ns::Ref<ViewController>& contentsController)
    : m_searchBar(searchBar), m_contents(contentsController)
{
    if (m_searchBar)
        m_searchBar->setDisplayController(this);
}

SearchDisplayController::~SearchDisplayController()
{
    if (m_searchBar)
        m_searchBar->setDisplayController(nullptr);
}

const ns::Ref<TableView>& SearchDisplayController::searchResultsTableView()
{
    if (!m_resultsTable) {
        m_resultsTable = TableView::create(cg::makeRect(0, 0, 320, 416), TableViewStyle::Plain);
        if (auto source = m_resultsDataSource.lock())
            m_resultsTable->setDataSource(source);
        if (auto delegate = m_resultsDelegate.lock())
            m_resultsTable->setDelegate(delegate);
        if (auto delegate = m_delegate.lock())
            delegate->searchDisplayControllerDidLoadSearchResultsTableView(*this, *m_resultsTable);
    }
    return m_resultsTable;
}

void SearchDisplayController::setSearchResultsDataSource(const ns::Ref<TableViewDataSource>& dataSource)
{
    m_resultsDataSource = dataSource;
    if (m_resultsTable)
        m_resultsTable->setDataSource(dataSource);
}

void SearchDisplayController::setSearchResultsDelegate(const ns::Ref<TableViewDelegate>& delegate)
{
    m_resultsDelegate = delegate;
    if (m_resultsTable)
        m_resultsTable->setDelegate(delegate);
}

void SearchDisplayController::setActive(bool active, bool animated)
{
    if (active == m_active)
        return;
    auto keep = self<SearchDisplayController>();
    auto delegate = m_delegate.lock();
    if (active) {
        if (delegate)
            delegate->searchDisplayControllerWillBeginSearch(*this);
        m_active = true;
        if (m_searchBar) {
            m_searchBar->setShowsCancelButton(true, animated);
            if (!m_searchBar->isFirstResponder())
                m_searchBar->becomeFirstResponder();
        }
        if (delegate)
            delegate->searchDisplayControllerDidBeginSearch(*this);
        return;
    }
    if (delegate)
        delegate->searchDisplayControllerWillEndSearch(*this);
    m_active = false;
    hideResults();
    if (m_searchBar) {
        m_searchBar->setShowsCancelButton(false, animated);
        m_searchBar->setText("");
        m_searchBar->resignFirstResponder();
    }
    if (delegate)
        delegate->searchDisplayControllerDidEndSearch(*this);
}

void SearchDisplayController::searchBarDidBeginEditing()
{
    setActive(true, true);
}

void SearchDisplayController::searchBarTextChanged(const std::string& text)
{
    if (!m_active)
        return;
    auto keep = self<SearchDisplayController>();
    auto delegate = m_delegate.lock();
    bool reload = !delegate || delegate->searchDisplayControllerShouldReloadTableForSearchString(*this, text);
    if (text.empty()) {
        hideResults();
        return;
    }
    showResults();
    if (reload)
        searchResultsTableView()->reloadData();
}

void SearchDisplayController::searchBarScopeChanged(long scope)
{
    if (!m_active)
        return;
    auto delegate = m_delegate.lock();
    if ((!delegate || delegate->searchDisplayControllerShouldReloadTableForSearchScope(*this, scope)) &&
        m_showingResults)
        searchResultsTableView()->reloadData();
}

void SearchDisplayController::searchBarCancelled()
{
    setActive(false, true);
}

void SearchDisplayController::showResults()
{
    if (m_showingResults)
        return;
    auto table = searchResultsTableView();
    auto contents = m_contents.lock();
    if (auto delegate = m_delegate.lock())
        delegate->searchDisplayControllerWillShowSearchResultsTableView(*this, *table);
    m_showingResults = true;
    if (!contents)
        return;
    // The results cover the contents below the search bar.
    auto view = contents->view();
    View* host = view->superview() ? view->superview() : view.get();
    cg::Rect area = host->convertRectFromView(view->frame(), view->superview());
    if (!view->superview())
        area = view->bounds();
    cg::Float top = 0;
    if (m_searchBar && m_searchBar->superview())
        top = m_searchBar->convertRectToView(m_searchBar->bounds(), host).maxY() - area.origin.y;
    top = std::max<cg::Float>(0, top);
    table->setFrame(cg::makeRect(area.origin.x, area.origin.y + top, area.size.width,
                                 std::max<cg::Float>(0, area.size.height - top)));
    host->addSubview(table);
}

void SearchDisplayController::hideResults()
{
    if (!m_showingResults)
        return;
    m_showingResults = false;
    if (m_resultsTable)
        m_resultsTable->removeFromSuperview();
    if (auto delegate = m_delegate.lock(); delegate && m_resultsTable)
        delegate->searchDisplayControllerDidHideSearchResultsTableView(*this, *m_resultsTable);
}

} // namespace ui
