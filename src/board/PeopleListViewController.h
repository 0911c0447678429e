#pragma once

#include "board/PeopleListViewControllerDelegate.h"
#include "foundation/Array.h"
#include "foundation/Timer.h"
#include "uikit/SearchBar.h"
#include "uikit/SearchDisplayController.h"
#include "uikit/TableViewController.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ui {
class Color;
class Image;
} // namespace ui
class KPhoneNumber;
class TouchImageView;

// The contact picker: every phone number of every person, in sections by the display name's first
// letter, with a letter index and a search bar. A pick goes to the delegate, or fills the tile.
class PeopleListViewController : public ui::TableViewController,
                                 public ui::SearchDisplayDelegate,
                                 public ui::SearchBarDelegate
{
public:
    static ns::Ref<PeopleListViewController> create(ui::TableViewStyle style = ui::TableViewStyle::Grouped)
    {
        return ns::Factory<PeopleListViewController>::make(style);
    }
    ~PeopleListViewController() override;

    const ns::Ref<TouchImageView>& touchImage() const { return m_touchImage; }
    void setTouchImage(ns::Ref<TouchImageView> tile) { m_touchImage = std::move(tile); }
    int selectedIndex() const { return m_selectedIndex; }
    void setSelectedIndex(int index) { m_selectedIndex = index; }
    ns::Ref<PeopleListViewControllerDelegate> delegate() const { return m_delegate; }
    void setDelegate(ns::Ref<PeopleListViewControllerDelegate> delegate) { m_delegate = std::move(delegate); }
    const std::string& reference() const { return m_reference; }
    void setReference(std::string reference) { m_reference = std::move(reference); }

    const std::vector<std::string>& indexLetters() const { return m_indexLetters; }
    const std::vector<std::string>& indexLettersAll() const { return m_indexLettersAll; }
    const std::vector<ns::Ref<KPhoneNumber>>& entries() const { return m_entries; }
    const std::vector<ns::Ref<KPhoneNumber>>& qualifiedEntries() const { return m_qualifiedEntries; }
    const std::vector<ns::Ref<KPhoneNumber>>& currentEntries() const { return *m_currentEntries; }
    const ns::Ref<ui::SearchDisplayController>& searchDisplayController() const
    {
        return m_searchDisplayController;
    }
    using ui::SearchBarDelegate::searchBar;
    const ns::Ref<ui::SearchBar>& searchBar() const { return m_searchBar; }
    // The entry being handed to the delegate, so that it can read more of it than the photo and number.
    const ns::Ref<KPhoneNumber>& pickedEntry() const { return m_pickedEntry; }
    // Whether the list still waits for the address-book scan.
    bool isWaiting() const { return m_waitTimer != nullptr; }

    void viewDidLoad() override;
    void refreshData(const ns::Id& sender);
    void RebuildIndex(const std::vector<ns::Ref<KPhoneNumber>>& list);
    void filterEntriesForSearchText(const std::string& text);
    std::string NextImageAvailable() const;
    void deleteButton(const ns::Id& sender);
    // The entry shown at a row, or nothing outside the list.
    ns::Ref<KPhoneNumber> entryAtIndexPath(const ns::IndexPath& indexPath) const;

    // The badge colour of a phone label.
    static ns::Ref<ui::Color> colorForLabel(const std::optional<std::string>& label);
    // Gives a tile that now calls the entry's number the entry's name, label badge and record, whichever
    // screen put the contact there: a tile that keeps another person's record would be reset, or not, for
    // the wrong person at the next start.
    static void labelTileWithEntry(TouchImageView& tile, const KPhoneNumber& entry);
    // The photo a pick hands on, and the small one of a row.
    static ns::Ref<ui::Image> photoOf(const KPhoneNumber& entry);
    static ns::Ref<ui::Image> iconOf(const KPhoneNumber& entry);

    long numberOfSectionsInTableView(ui::TableView&) override;
    long tableViewNumberOfRowsInSection(ui::TableView&, std::size_t section) override;
    ns::Ref<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView&, const ns::IndexPath&) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(ui::TableView&, std::size_t section) override;
    std::optional<std::vector<std::string>> sectionIndexTitlesForTableView(ui::TableView&) override;
    std::optional<cg::Float> tableViewHeightForRowAtIndexPath(ui::TableView&, const ns::IndexPath&) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView&, const ns::IndexPath&) override;

    void searchDisplayControllerDidBeginSearch(ui::SearchDisplayController&) override;
    bool searchDisplayControllerShouldReloadTableForSearchString(ui::SearchDisplayController&,
                                                                 const std::string& text) override;
    bool searchDisplayControllerShouldReloadTableForSearchScope(ui::SearchDisplayController&, long) override;
    void searchDisplayControllerDidEndSearch(ui::SearchDisplayController&) override;

    std::string className() const override { return "PeopleListViewController"; }

protected:
    explicit PeopleListViewController(ui::TableViewStyle style = ui::TableViewStyle::Grouped);
    friend ns::Factory<PeopleListViewController>;

private:
    void loadEntries(const ns::Ref<ns::Array>& contacts);
    void stopWaiting();

    ns::Ref<TouchImageView> m_touchImage;
    int m_selectedIndex = -1;
    ns::Ref<PeopleListViewControllerDelegate> m_delegate;
    std::string m_reference;
    std::vector<std::string> m_indexLetters;
    std::vector<std::string> m_indexLettersAll;
    // Positions in the shown list of each letter's entries, in list order: a letter's entries need not
    // be adjacent.
    std::map<std::string, std::vector<std::size_t>> m_sectionPositions;
    const std::vector<ns::Ref<KPhoneNumber>>* m_currentEntries = &m_entries;
    std::vector<ns::Ref<KPhoneNumber>> m_entries;
    // Each entry's display name folded for the search, once when the entries are loaded, so that a
    // keystroke only compares folds.
    std::vector<std::u16string> m_foldedNames;
    std::vector<ns::Ref<KPhoneNumber>> m_qualifiedEntries;
    ns::Ref<ui::SearchDisplayController> m_searchDisplayController;
    ns::Ref<ui::SearchBar> m_searchBar;
    ns::Ref<ns::Timer> m_waitTimer;
    ns::Ref<KPhoneNumber> m_pickedEntry;
};
