#include "board/VelmoViewController.h"

#include "board/BoardFile.h"
#include "board/BoardSettings.h"
#include "board/EditTouchImageViewController.h"
#include "board/PeopleListViewController.h"
#include "board/RatingPrompt.h"
#include "board/TouchImageView.h"
#include "foundation/ClassRegistry.h"
#include "foundation/Dictionary.h"
#include "foundation/FileManager.h"
#include "foundation/Format.h"
#include "foundation/Log.h"
#include "foundation/Sandbox.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "foundation/Version.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKItem.h"
#include "sharing/ui/SHKActionSheet.h"
#include "system/BannerView.h"
#include "uikit/BarButtonItem.h"
#include "uikit/Button.h"
#include "uikit/Color.h"
#include "uikit/Device.h"
#include "uikit/Image.h"
#include "uikit/Layer.h"
#include "uikit/NavigationController.h"
#include "uikit/Screen.h"
#include "uikit/TabBarController.h"
#include "uikit/Toolbar.h"

#include <algorithm>

VelmoViewController::VelmoViewController() = default;

void VelmoViewController::setPeopleListFactory(TileScreenFactory factory)
{
    m_peopleListFactory = std::move(factory);
}

void VelmoViewController::setTileEditorFactory(TileScreenFactory factory)
{
    m_tileEditorFactory = std::move(factory);
}

// For a tile, or, without one, for a new contact tile whose pick comes back to the board.
ns::Ref<ui::ViewController> VelmoViewController::makePeopleList(const ns::Ref<TouchImageView>& tile)
{
    auto list = PeopleListViewController::create(ui::TableViewStyle::Grouped);
    list->setSelectedIndex(-1);
    list->setReference("1");
    auto navigation = ui::NavigationController::create(list);
    if (tile) {
        // The list opened for a tile turns the board over; the one for a new tile slides up.
        list->setTouchImage(tile);
        navigation->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
    } else {
        list->setDelegate(self<VelmoViewController>());
    }
    return navigation;
}

// In a navigation controller inside a tab bar controller.
ns::Ref<ui::ViewController> VelmoViewController::makeTileEditor(const ns::Ref<TouchImageView>& tile)
{
    if (!tile)
        return nullptr;
    auto editor = EditTouchImageViewController::create();
    editor->setTouchImage(tile);
    auto navigation = ui::NavigationController::create(editor);
    auto tabs = ui::TabBarController::create();
    tabs->setViewControllers({navigation});
    tabs->setModalTransitionStyle(ui::ModalTransitionStyle::FlipHorizontal);
    return tabs;
}

ns::Ref<TouchImageView> VelmoViewController::makeTile(cg::Rect frame)
{
    auto tile = TouchImageView::create(frame);
    tile->setViewController(self<VelmoViewController>());
    return tile;
}

void VelmoViewController::viewDidLoad()
{
    ui::ViewController::viewDidLoad();
    view()->setBackgroundColor(ui::Color::whiteColor());
    buildBoard();
    buildToolbars();
    buildBanner();
    m_editMode = false;
    setSelectedTouchImage(nullptr);
    saveXML(nullptr);
}

void VelmoViewController::addTile(const ns::Ref<TouchImageView>& tile)
{
    // Tiles of the board file and of the default board lie below the toolbars and the banner.
    view()->insertSubviewAtIndex(tile, m_tilesBelowBars++);
}

void VelmoViewController::buildBoard()
{
    m_tilesBelowBars = 0;
    if (!loadBoardFile())
        buildDefaultBoard();
}

const ns::Ref<BoardFile>& VelmoViewController::boardFile()
{
    if (!m_boardFile) {
        auto weak = weakSelf<VelmoViewController>();
        m_boardFile = BoardFile::create([weak](cg::Rect frame) {
            auto board = weak.lock();
            return board ? board->makeTile(frame) : TouchImageView::create(frame);
        });
    }
    return m_boardFile;
}

std::string VelmoViewController::boardFilePath()
{
    return BoardFile::path();
}

ns::Ref<DDXMLElement> VelmoViewController::xmlFromTouchImageView(const TouchImageView& tile) const
{
    return BoardFile::xmlFromTouchImageView(tile);
}

ns::Ref<TouchImageView> VelmoViewController::touchImageViewFromXml(const DDXMLElement& element,
                                                                   const char* fallbackImage)
{
    return boardFile()->touchImageViewFromXml(element, fallbackImage);
}

bool VelmoViewController::loadBoardFile()
{
    auto background = boardFile()->read();
    if (!background)
        return false;
    addTile(background);
    m_mainTouchImageView = background;
    for (auto& tile : background->children())
        addTile(tile);
    return true;
}

void VelmoViewController::saveXML(const ns::Id&)
{
    if (auto background = m_mainTouchImageView.lock())
        boardFile()->write(*background);
}

void VelmoViewController::buildDefaultBoard()
{
    auto backgroundImage = ui::Image::imageNamed("defaultbackground.png");
    cg::Size size = backgroundImage ? backgroundImage->size() : cg::makeSize(320, 460);
    auto background = makeTile(cg::makeRect(0, 0, size.width, size.height));
    background->setImage(backgroundImage);
    background->setType(std::string("background"));
    background->setCenter(cg::makePoint(160, 230));
    background->setImageName(std::string("defaultbackground.png"));
    background->setOrigSize(cg::makeRect(0, 0, size.width, size.height));
    addTile(background);
    m_mainTouchImageView = background;

    std::vector<ns::Ref<TouchImageView>> tiles;
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            auto tile = makeTile(cg::Rect{});
            tile->setDefault();
            tile->setParent(background);
            cg::Float h = tile->frame().size.height;
            tile->setCenter(cg::makePoint(55 + 105 * c, 53 + h / 2 + r * (h + 18)));
            addTile(tile);
            background->mutableChildren().push_back(tile);
            tiles.push_back(tile);
        }
    }
    for (int i = 3; i < 9; ++i) {
        auto& tile = tiles[static_cast<std::size_t>(i)];
        const char* name = i == 8 ? "contact-withoutphoto.png" : "contact-grey-placeholder.png";
        tile->setType(std::string("web"));
        tile->setParameters(BoardSettings::shared().storePage);
        tile->setImage(ui::Image::imageNamed(name));
        tile->setImageName(std::string(name));
    }
}

void VelmoViewController::removeTiles()
{
    auto subviews = view()->subviews();
    for (auto& subview : subviews)
        if (ns::cast<TouchImageView>(subview))
            subview->removeFromSuperview();
    m_mainTouchImageView.reset();
    m_selectedTouchImage.reset();
}

void VelmoViewController::buildToolbars()
{
    cg::Rect bounds = view()->bounds();
    auto target = shared_from_this();
    auto weak = weakSelf<VelmoViewController>();
    auto send = [weak](void (VelmoViewController::*operation)(const ns::Id&)) {
        return [weak, operation](const ns::Id& sender) {
            if (auto board = weak.lock())
                ((*board).*operation)(sender);
        };
    };
    auto imageItem = [&](const char* image, void (VelmoViewController::*operation)(const ns::Id&)) {
        return ui::BarButtonItem::withImage(ui::Image::imageNamed(image), ui::BarButtonItemStyle::Bordered,
                                            target, send(operation));
    };
    auto flexible = [] { return ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::FlexibleSpace); };

    m_editToolBar = ui::Toolbar::create();
    m_editToolBar->setFrame(cg::makeRect(0, bounds.size.height - 44, bounds.size.width, 44));
    m_editToolBar->setAutoresizesSubviews(true);
    m_editToolBar->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleTopMargin);
    m_editToolBar->setBarStyle(ui::BarStyle::Default);
    m_editToolBar->setContentMode(ui::ContentMode::ScaleToFill);
    m_editToolBar->setHidden(true);
    m_deleteButton = imageItem("trash.png", &VelmoViewController::deleteAction);
    m_editToolBar->setItems({imageItem("cancel.png", &VelmoViewController::cancelAction),
                             imageItem("add.png", &VelmoViewController::addContactButtonAction),
                             m_deleteButton, flexible(),
                             imageItem("save.png", &VelmoViewController::saveXML)},
                            false);
    m_editToolBar->setHidden(true);
    view()->addSubview(m_editToolBar);

    m_mainToolBar = ui::Toolbar::create();
    m_mainToolBar->setFrame(cg::makeRect(0, bounds.size.height - 24, bounds.size.width, 24));
    m_mainToolBar->setAutoresizesSubviews(true);
    m_mainToolBar->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleTopMargin);
    m_mainToolBar->setBarStyle(ui::BarStyle::Black);
    m_mainToolBar->setTranslucent(true);
    m_mainToolBar->setContentMode(ui::ContentMode::ScaleToFill);
    auto heartImage = ui::Image::imageNamed("heart.png");
    auto heart = ui::Button::buttonWithType(ui::ButtonType::Custom);
    heart->setImage(heartImage);
    cg::Size heartSize = heartImage ? heartImage->size() : cg::makeSize(20, 20);
    heart->setFrame(cg::makeRect(0, 0, heartSize.width, heartSize.height));
    heart->addTarget(target, send(&VelmoViewController::rateAction), ui::ControlEventTouchUpInside);
    // Edit mode is reached from the main toolbar's "Edit" item.
    m_mainToolBar->setItems({ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Edit, target,
                                                               send(&VelmoViewController::editAction)),
                             flexible(), ui::BarButtonItem::withCustomView(heart),
                             ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Compose, target,
                                                               send(&VelmoViewController::mailAction)),
                             ui::BarButtonItem::withSystemItem(ui::BarButtonSystemItem::Action, target,
                                                               send(&VelmoViewController::wifiAction))},
                            false);
    m_mainToolBar->setHidden(false);
    view()->addSubview(m_mainToolBar);
}

void VelmoViewController::buildBanner()
{
    auto& registry = rt::ClassRegistry::shared();
    if (!registry.classExists("ADBannerView"))
        return;
    auto banner = registry.createAs<ad::BannerView>("ADBannerView");
    if (!banner)
        return;
    banner->setFrame(cg::Rect{});
    setAdBannerView(banner);
    bool old = ns::compareNumeric(ui::Device::currentDevice()->systemVersion(), "4.2") < 0;
    std::string identifier =
        old ? ad::BannerContentSizeIdentifier320x50 : ad::BannerContentSizeIdentifierPortrait;
    banner->setRequiredContentSizeIdentifiers({identifier});
    banner->setCurrentContentSizeIdentifier(identifier);
    auto meta = registry.metaAs<ad::BannerClass>("ADBannerView");
    m_adBannerHeight = meta ? meta->sizeFromIdentifier(identifier).height : 0;
    banner->setFrame(cg::offset(banner->frame(), 0, 0));
    banner->setDelegate(shared_from_this());
    banner->setAutoresizingMask(ui::AutoresizingFlexibleWidth | ui::AutoresizingFlexibleTopMargin |
                                ui::AutoresizingFlexibleBottomMargin);
    view()->addSubview(banner);
    m_adBannerViewIsVisible = false;
}

void VelmoViewController::setSelectedTouchImage(const ns::Ref<TouchImageView>& tile)
{
    if (auto old = m_selectedTouchImage.lock())
        old->layer()->setBorderWidth(0);
    m_selectedTouchImage = tile;
    if (m_deleteButton)
        m_deleteButton->setEnabled(false);
    if (!tile)
        return;
    tile->layer()->setBorderColor(ui::Color::redColor());
    tile->layer()->setBorderWidth(2.0f);
    if (m_deleteButton)
        m_deleteButton->setEnabled(tile->parent() != nullptr);
}

void VelmoViewController::editAction(const ns::Id&)
{
    m_mainToolBar->setHidden(true);
    m_editToolBar->setHidden(false);
    m_editMode = true;
}

void VelmoViewController::cancelAction(const ns::Id&)
{
    m_mainToolBar->setHidden(false);
    m_editToolBar->setHidden(true);
    m_editMode = false;
    setSelectedTouchImage(nullptr);
    // Leaving edit mode without saving undoes its moves, deletions and additions: entering it, the screen
    // was the saved board, so the saved board is what comes back.
    removeTiles();
    buildBoard();
}

void VelmoViewController::deleteAction(const ns::Id&)
{
    auto tile = m_selectedTouchImage.lock();
    if (tile) {
        tile->removeFromSuperview();
        if (auto parent = tile->parent()) {
            auto& children = parent->mutableChildren();
            children.erase(std::remove(children.begin(), children.end(), tile), children.end());
        }
    }
    setSelectedTouchImage(nullptr);
}

void VelmoViewController::addContactButtonAction(const ns::Id&)
{
    presentPeopleList(nullptr);
}

void VelmoViewController::presentPeopleList(const ns::Ref<TouchImageView>& tile)
{
    auto controller = m_peopleListFactory ? m_peopleListFactory(tile, *this) : makePeopleList(tile);
    if (!controller) {
        ns::log("people list for %@ is not available",
                tile ? tile->title() : std::optional<std::string>("a new tile"));
        return;
    }
    presentModalViewController(controller, true);
}

void VelmoViewController::presentTileEditor(const ns::Ref<TouchImageView>& tile)
{
    auto controller = m_tileEditorFactory ? m_tileEditorFactory(tile, *this) : makeTileEditor(tile);
    if (!controller) {
        ns::log("tile editor for %@ is not available", tile ? tile->title() : std::nullopt);
        return;
    }
    presentModalViewController(controller, true);
}

void VelmoViewController::peopleListViewController(PeopleListViewController* controller,
                                                   const ns::Ref<ui::Image>& photo, int, const std::string&,
                                                   const std::string& phone, const std::string&)
{
    auto tile = addPhotoTile(photo);
    if (!tile)
        return;
    tile->setType(std::string("tel"));
    tile->setParameters(ns::format("tel:%@", ns::replaceAll(phone, " ", "")));
    // The new tile stands for the picked person: name, label and record, as every other pick does.
    if (controller && controller->pickedEntry())
        PeopleListViewController::labelTileWithEntry(*tile, *controller->pickedEntry());
    tile->layoutSubviews();
}

void VelmoViewController::addImageButtonAction(const ns::Id&)
{
    auto picker = ui::ImagePickerController::create();
    // Form sheets came with that version of the system's libraries.
    if (ns::coreFoundationVersionNumber() >= 478.61)
        picker->setModalPresentationStyle(ui::ModalPresentationStyle::FormSheet);
    picker->setSourceType(ui::ImagePickerControllerSourceType::PhotoLibrary);
    picker->setPickerDelegate(self<VelmoViewController>());
    picker->setAllowsEditing(false);
    presentModalViewController(picker, true);
}

void VelmoViewController::imagePickerControllerDidFinishPickingMediaWithInfo(ui::ImagePickerController&,
                                                                             const ns::Dictionary& info)
{
    ns::log("didFinishPickingMediaWithInfo");
    auto keep = self<VelmoViewController>();
    dismissModalViewControllerAnimated(true);
    // A photo tile does nothing on a tap until the editor gives it a type.
    addPhotoTile(info.objectAs<ui::Image>(ui::ImagePickerControllerOriginalImage));
}

void VelmoViewController::imagePickerControllerDidCancel(ui::ImagePickerController&)
{
    dismissModalViewControllerAnimated(true);
}

ns::Ref<TouchImageView> VelmoViewController::addPhotoTile(const ns::Ref<ui::Image>& photo)
{
    if (!photo)
        return nullptr;
    std::string name = NextImageAvailable();
    ns::Ref<ns::Error> error;
    auto png = ui::ImagePNGRepresentation(photo);
    if (!png || !ns::FileManager::writeAtomically(ns::Sandbox::documentsPath() + "/" + name, *png, &error)) {
        // Naming a file that is not there would lose the tile at the next start.
        ns::log("the photo for a new tile could not be written: %@", error);
        return nullptr;
    }
    cg::Size size = photo->size();
    cg::Rect rect = cg::makeRect(0, 0, 90, size.width > 0 ? 90 * size.height / size.width : 90);
    auto tile = makeTile(rect);
    tile->setImage(photo);
    tile->setCenter(cg::makePoint(160, 85));
    auto background = m_mainTouchImageView.lock();
    tile->setParent(background);
    tile->setImageName(name);
    tile->setOrigSize(rect);
    view()->addSubview(tile);
    if (background)
        background->mutableChildren().push_back(tile);
    return tile;
}

std::string VelmoViewController::NextImageAvailable() const
{
    std::string folder = ns::Sandbox::documentsPath() + "/";
    // Past "image999.png" the numbers go on: a name that exists would overwrite another tile's photo.
    for (int n = 1;; ++n) {
        std::string name = ns::format("image%03d.png", n);
        if (!ns::FileManager::fileExistsAtPath(folder + name))
            return name;
    }
}

void VelmoViewController::rateAction(const ns::Id&)
{
    RatingPrompt::rateApp();
}

void VelmoViewController::mailAction(const ns::Id&)
{
    auto composer = mui::MailComposeViewController::create();
    if (!composer)
        return;
    composer->setMailComposeDelegate(
        std::static_pointer_cast<mui::MailComposeViewControllerDelegate>(self<VelmoViewController>()));
    composer->setToRecipients({BoardSettings::shared().supportAddress});
    composer->setSubject("Comments about Velmo");
    presentModalViewController(composer, true);
}

void VelmoViewController::mailComposeController(mui::MailComposeViewController&,
                                                mui::MailComposeResult result, const ns::Ref<ns::Error>&)
{
    if (result == mui::MailComposeResult::Sent)
        ns::log("It's away!");
    dismissModalViewControllerAnimated(true);
}

void VelmoViewController::wifiAction(const ns::Id&)
{
    auto item =
        SHKItem::URL(ns::URL::withString(BoardSettings::shared().storePage),
                     std::string("\"Geek or not, everyone needs Velmo!\" 12 contacts ready to be dialed in "
                                 "only 2 taps"));
    auto sheet = SHKActionSheet::actionSheetForItem(item);
    // The sharers present their screens over the board.
    SHK::setRootViewController(self<VelmoViewController>());
    sheet->showFromToolbar(m_mainToolBar);
}

void VelmoViewController::dismissSettingsView()
{
    dismissModalViewControllerAnimated(true);
}
