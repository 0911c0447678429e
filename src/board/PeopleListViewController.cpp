#include "board/PeopleListViewController.h"

#include "board/KPhoneNumber.h"
#include "board/MultipartLabel.h"
#include "board/TDBadgeCell.h"
#include "board/TouchImageView.h"
#include "board/VelmoAppDelegate.h"
#include "board/VelmoViewController.h"
#include "foundation/Ascii.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/Sandbox.h"
#include "foundation/Text.h"
#include "foundation/Unicode.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Image.h"
#include "uikit/ImageView.h"
#include "uikit/Label.h"
#include "uikit/NavigationController.h"
#include "uikit/NavigationItem.h"
#include "uikit/TableView.h"

#include <algorithm>

namespace {

constexpr const char* CellIdentifier = "PeopleCell";
// How often a list opened before the address-book scan has finished looks again.
constexpr ns::TimeInterval WaitInterval = 0.1;

std::string sectionLetter(const std::string& name)
{
    if (name.empty())
        return "-";
    char first = name[0];
    return ns::isAsciiAlpha(first) ? std::string(1, ns::toUpperAscii(first)) : "-";
}

std::string withoutSpaces(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
    return text;
}

ns::Ref<VelmoViewController> board()
{
    auto app = VelmoAppDelegate::delegate();
    return app ? app->viewController() : nullptr;
}

bool nonEmpty(const std::optional<std::string>& text)
{
    return text && !text->empty();
}

} // namespace

PeopleListViewController::PeopleListViewController(ui::TableViewStyle style) : ui::TableViewController(style)
{
}

PeopleListViewController::~PeopleListViewController()
{
    stopWaiting();
}

void PeopleListViewController::stopWaiting()
{
    if (m_waitTimer) {
        m_waitTimer->invalidate();
        m_waitTimer = nullptr;
    }
}

ns::Ref<ui::Color> PeopleListViewController::colorForLabel(const std::optional<std::string>& label)
{
    std::string text = label.value_or("");
    if (text == "iPhone")
        return ui::Color::colorWithRed(1.0f, 0.8f, 10 / 255.0f, 1.0f);
    if (text == "mobile")
        return ui::Color::colorWithRed(45 / 255.0f, 242 / 255.0f, 140 / 255.0f, 1.0f);
    if (text == "work")
        return ui::Color::colorWithRed(0.792f, 0.197f, 0.219f, 1.0f);
    return ui::Color::colorWithRed(45 / 255.0f, 65 / 255.0f, 239 / 255.0f, 1.0f);
}

void PeopleListViewController::labelTileWithEntry(TouchImageView& tile, const KPhoneNumber& entry)
{
    tile.setBadgeString(entry.type().value_or(""));
    tile.setBadgeColor(colorForLabel(entry.type()));
    tile.setTitle(entry.compositeName());
    tile.setId(entry.contact() ? static_cast<int32_t>(entry.contact()->recordID()) : 0);
}

ns::Ref<ui::Image> PeopleListViewController::photoOf(const KPhoneNumber& entry)
{
    return entry.image();
}

ns::Ref<ui::Image> PeopleListViewController::iconOf(const KPhoneNumber& entry)
{
    return entry.iconImage();
}

void PeopleListViewController::viewDidLoad()
{
    ui::TableViewController::viewDidLoad();
    m_indexLetters.clear();
    m_indexLettersAll.clear();
    m_entries.reserve(24);
    m_qualifiedEntries.reserve(24);

    m_searchBar = ui::SearchBar::create();
    m_searchBar->setDelegate(self<PeopleListViewController>());
    m_searchBar->sizeToFit();
    auto table = tableView();
    table->setTableHeaderView(m_searchBar);
    m_searchBar->setFrame(cg::makeRect(0, 0, 320, 44));

    auto me = self<PeopleListViewController>();
    m_searchDisplayController = ui::SearchDisplayController::create(m_searchBar, me);
    m_searchDisplayController->setDelegate(me);
    m_searchDisplayController->setSearchResultsDelegate(me);
    m_searchDisplayController->setSearchResultsDataSource(me);

    refreshData(nullptr);
    table->setScrollEnabled(true);

    auto boardController = board();
    ns::Weak<VelmoViewController> weakBoard = boardController;
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withSystemItem(
        ui::BarButtonSystemItem::Cancel, boardController, [weakBoard](const ns::Id&) {
            if (auto b = weakBoard.lock())
                b->dismissSettingsView();
        }));
    navigationItem()->setRightBarButtonItem(ui::BarButtonItem::withSystemItem(
        ui::BarButtonSystemItem::Trash, me,
        [weak = weakSelf<PeopleListViewController>()](const ns::Id& sender) {
            if (auto list = weak.lock())
                list->deleteButton(sender);
        }));
}

void PeopleListViewController::refreshData(const ns::Id&)
{
    ns::log("refresh");
    m_entries.clear();
    m_foldedNames.clear();
    m_qualifiedEntries.clear();
    auto app = VelmoAppDelegate::delegate();
    ns::Ref<ns::Array> contacts = app ? app->allContact() : nullptr;
    if (!contacts) {
        // The scan publishes its finished array once; look again while the run loop goes on.
        ns::log("waiting");
        if (!m_waitTimer) {
            m_waitTimer =
                ns::Timer::scheduled(WaitInterval, true, [weak = weakSelf<PeopleListViewController>()]() {
                    auto list = weak.lock();
                    if (!list)
                        return;
                    auto delegate = VelmoAppDelegate::delegate();
                    auto published = delegate ? delegate->allContact() : nullptr;
                    if (!published)
                        return;
                    list->stopWaiting();
                    list->loadEntries(published);
                });
        }
        RebuildIndex(m_entries);
        if (isViewLoaded())
            tableView()->reloadData();
        return;
    }
    stopWaiting();
    loadEntries(contacts);
}

void PeopleListViewController::loadEntries(const ns::Ref<ns::Array>& contacts)
{
    m_entries.clear();
    m_foldedNames.clear();
    m_entries.reserve(contacts->count());
    m_foldedNames.reserve(contacts->count());
    for (std::size_t i = 0; i < contacts->count(); ++i)
        if (auto entry = contacts->objectAs<KPhoneNumber>(i)) {
            m_foldedNames.push_back(ns::foldForSearch(entry->compositeName()));
            m_entries.push_back(std::move(entry));
        }
    if (m_currentEntries == &m_qualifiedEntries)
        filterEntriesForSearchText(m_searchBar ? m_searchBar->text() : std::string());
    else
        RebuildIndex(m_entries);
    if (isViewLoaded())
        tableView()->reloadData();
    if (m_searchDisplayController && m_searchDisplayController->isActive())
        m_searchDisplayController->searchResultsTableView()->reloadData();
}

void PeopleListViewController::RebuildIndex(const std::vector<ns::Ref<KPhoneNumber>>& list)
{
    m_currentEntries = &list;
    m_indexLetters.clear();
    m_indexLettersAll.clear();
    m_sectionPositions.clear();
    for (std::size_t i = 0; i < list.size(); ++i) {
        std::string letter = sectionLetter(list[i]->compositeName());
        auto& positions = m_sectionPositions[letter];
        if (positions.empty())
            m_indexLetters.push_back(letter);
        positions.push_back(i);
        m_indexLettersAll.push_back(letter);
    }
}

void PeopleListViewController::filterEntriesForSearchText(const std::string& text)
{
    m_qualifiedEntries.clear();
    std::u16string needle = ns::foldForSearch(text);
    for (std::size_t i = 0; i < m_entries.size() && i < m_foldedNames.size(); ++i)
        if (ns::containsFolded(m_foldedNames[i], needle))
            m_qualifiedEntries.push_back(m_entries[i]);
    RebuildIndex(m_qualifiedEntries);
}

std::string PeopleListViewController::NextImageAvailable() const
{
    if (auto b = board())
        return b->NextImageAvailable();
    std::string folder = ns::Sandbox::documentsPath() + "/";
    for (int n = 1;; ++n) {
        std::string name = ns::format("image%03d.png", n);
        if (!ns::FileManager::fileExistsAtPath(folder + name))
            return name;
    }
}

void PeopleListViewController::deleteButton(const ns::Id&)
{
    if (m_touchImage) {
        m_touchImage->setDefault();
        m_touchImage->layoutSubviews();
    }
    auto b = board();
    if (b) {
        b->saveXML(nullptr);
        b->dismissSettingsView();
    } else {
        dismissModalViewControllerAnimated(true);
    }
}

ns::Ref<KPhoneNumber> PeopleListViewController::entryAtIndexPath(const ns::IndexPath& indexPath) const
{
    if (indexPath.section() >= m_indexLetters.size())
        return nullptr;
    auto found = m_sectionPositions.find(m_indexLetters[indexPath.section()]);
    if (found == m_sectionPositions.end() || indexPath.row() >= found->second.size())
        return nullptr;
    std::size_t position = found->second[indexPath.row()];
    return position < m_currentEntries->size() ? (*m_currentEntries)[position] : nullptr;
}

long PeopleListViewController::numberOfSectionsInTableView(ui::TableView&)
{
    return static_cast<long>(m_indexLetters.size());
}

long PeopleListViewController::tableViewNumberOfRowsInSection(ui::TableView&, std::size_t section)
{
    if (section >= m_indexLetters.size())
        return 0;
    auto found = m_sectionPositions.find(m_indexLetters[section]);
    return found == m_sectionPositions.end() ? 0 : static_cast<long>(found->second.size());
}

std::optional<std::string> PeopleListViewController::tableViewTitleForHeaderInSection(ui::TableView&,
                                                                                      std::size_t section)
{
    if (section >= m_indexLetters.size())
        return std::nullopt;
    return m_indexLetters[section];
}

std::optional<std::vector<std::string>>
PeopleListViewController::sectionIndexTitlesForTableView(ui::TableView&)
{
    return m_indexLetters;
}

std::optional<cg::Float> PeopleListViewController::tableViewHeightForRowAtIndexPath(ui::TableView&,
                                                                                    const ns::IndexPath&)
{
    return 40;
}

ns::Ref<ui::TableViewCell>
PeopleListViewController::tableViewCellForRowAtIndexPath(ui::TableView& table, const ns::IndexPath& indexPath)
{
    auto cell = ns::cast<TDBadgeCell>(table.dequeueReusableCellWithIdentifier(CellIdentifier));
    if (!cell) {
        cell = TDBadgeCell::create(ui::TableViewCellStyle::Subtitle, std::string(CellIdentifier));
        cell->setAccessoryType(ui::TableViewCellAccessoryType::None);
        cell->detailTextLabel()->setFont(ui::Font::systemFontOfSize(13));
        cell->textLabel()->setFont(ui::Font::boldSystemFontOfSize(14));
    }
    auto entry = entryAtIndexPath(indexPath);
    if (!entry)
        return cell;

    const auto& first = entry->firstName();
    const auto& last = entry->lastName();
    auto font = ui::Font::boldSystemFontOfSize(14);
    auto black = ui::Color::colorWithRed(0, 0, 0, 1);
    auto blue = ui::Color::colorWithRed(0, 0, 1, 1);
    const auto& name = cell->multipartLabel();
    // The visible name is the coloured row of parts; the text label beneath it stays transparent.
    cell->textLabel()->setTextColor(ui::Color::colorWithRed(1.0f, 0.8f, 10 / 255.0f, 0));
    if (nonEmpty(first) && nonEmpty(last)) {
        name->updateNumberOfLabels(3);
        name->setText(*first, font, black, 0);
        name->setText(" ", font, ui::Color::colorWithRed(1.0f, 0.8f, 10 / 255.0f, 1.0f), 1);
        name->setText(*last, font, blue, 2);
        cell->textLabel()->setText(ns::format("%@ %@", *first, *last));
    } else {
        std::string part;
        ns::Ref<ui::Color> color = blue;
        if (nonEmpty(first)) {
            part = *first;
            color = black;
        } else if (nonEmpty(last)) {
            part = *last;
        } else {
            part = entry->organization().value_or("");
        }
        name->updateNumberOfLabels(1);
        name->setText(part, font, color, 0);
        cell->textLabel()->setText(part);
    }
    cell->imageView()->setImage(iconOf(*entry));
    cell->detailTextLabel()->setText(entry->phone());
    cell->setBadgeString(entry->type().value_or(""));
    cell->setBadgeColor(colorForLabel(entry->type()));
    cell->setShowShadow(false);
    cell->setNeedsLayout();
    return cell;
}

void PeopleListViewController::tableViewDidSelectRowAtIndexPath(ui::TableView& table,
                                                                const ns::IndexPath& indexPath)
{
    auto entry = entryAtIndexPath(indexPath);
    long position = -1;
    if (entry && indexPath.section() < m_indexLetters.size())
        position =
            static_cast<long>(m_sectionPositions[m_indexLetters[indexPath.section()]][indexPath.row()]);
    if (!entry || position == m_selectedIndex) {
        table.deselectRowAtIndexPath(indexPath, true);
        return;
    }
    // Keep the list alive through the dismissal below.
    auto keep = self<PeopleListViewController>();
    auto photo = photoOf(*entry);
    std::string number = withoutSpaces(entry->phone());

    if (m_delegate) {
        std::string name =
            ns::format("%@ %@", entry->lastName().value_or(""), entry->firstName().value_or(""));
        m_pickedEntry = entry;
        m_delegate->peopleListViewController(this, photo, m_selectedIndex, name, number, m_reference);
        m_pickedEntry = nullptr;
    } else if (m_touchImage) {
        std::string file = NextImageAvailable();
        auto png = photo ? ui::ImagePNGRepresentation(photo) : nullptr;
        ns::Ref<ns::Error> error;
        if (!png ||
            !ns::FileManager::writeAtomically(ns::Sandbox::documentsPath() + "/" + file, *png, &error)) {
            // A tile naming a photo that is not there would be dropped at the next start.
            ns::log("the photo for %@ could not be written: %@", entry->compositeName(), error);
        } else {
            m_touchImage->setImage(photo);
            m_touchImage->setImageName(file);
            m_touchImage->setType(std::string("tel"));
            m_touchImage->setParameters(ns::format("tel:%@", number));
            labelTileWithEntry(*m_touchImage, *entry);
            m_touchImage->layoutSubviews();
            if (auto b = board())
                b->saveXML(nullptr);
        }
    }
    if (auto b = board())
        b->dismissSettingsView();
    else
        dismissModalViewControllerAnimated(true);
    table.deselectRowAtIndexPath(indexPath, true);
}

void PeopleListViewController::searchDisplayControllerDidBeginSearch(ui::SearchDisplayController&)
{
    ns::log("searchDisplayControllerDidBeginSearch");
}

bool PeopleListViewController::searchDisplayControllerShouldReloadTableForSearchString(
    ui::SearchDisplayController&, const std::string& text)
{
    filterEntriesForSearchText(text);
    return true;
}

bool PeopleListViewController::searchDisplayControllerShouldReloadTableForSearchScope(
    ui::SearchDisplayController&, long)
{
    filterEntriesForSearchText(m_searchBar ? m_searchBar->text() : std::string());
    return true;
}

void PeopleListViewController::searchDisplayControllerDidEndSearch(ui::SearchDisplayController&)
{
    m_currentEntries = &m_entries;
    refreshData(nullptr);
}
