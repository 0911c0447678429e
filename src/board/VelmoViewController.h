#pragma once

#include "board/PeopleListViewControllerDelegate.h"
#include "system/MailComposeViewController.h"
#include "uikit/ImagePickerController.h"
#include "uikit/ViewController.h"

#include <functional>
#include <string>

namespace ui {
class BarButtonItem;
class Toolbar;
} // namespace ui
class BoardFile;
class DDXMLElement;
class TouchImageView;

// The board: photo tiles on a background tile, the main and edit toolbars and the banner.
class VelmoViewController : public ui::ViewController,
                            public PeopleListViewControllerDelegate,
                            public mui::MailComposeViewControllerDelegate,
                            public ui::ImagePickerControllerDelegate
{
public:
    static ns::Ref<VelmoViewController> create() { return ns::Factory<VelmoViewController>::make(); }

    void viewDidLoad() override;

    const ns::Ref<TouchImageView> mainTouchImageView() const { return m_mainTouchImageView.lock(); }
    ns::Ref<TouchImageView> selectedTouchImage() const { return m_selectedTouchImage.lock(); }
    void setSelectedTouchImage(const ns::Ref<TouchImageView>& tile);
    bool editMode() const { return m_editMode; }
    void setEditMode(bool editMode) { m_editMode = editMode; }
    const ns::Ref<ui::Toolbar>& editToolBar() const { return m_editToolBar; }
    const ns::Ref<ui::Toolbar>& mainToolBar() const { return m_mainToolBar; }
    const ns::Ref<ui::BarButtonItem>& deleteButton() const { return m_deleteButton; }
    const ns::Id& adBannerView() const { return m_adBannerView; }
    void setAdBannerView(ns::Id banner) { m_adBannerView = std::move(banner); }
    bool adBannerViewIsVisible() const { return m_adBannerViewIsVisible; }
    void setAdBannerViewIsVisible(bool visible) { m_adBannerViewIsVisible = visible; }
    float adBannerHeight() const { return m_adBannerHeight; }
    void setAdBannerHeight(float height) { m_adBannerHeight = height; }

    void editAction(const ns::Id& sender);
    void cancelAction(const ns::Id& sender);
    void deleteAction(const ns::Id& sender);
    void saveXML(const ns::Id& sender);
    void addContactButtonAction(const ns::Id& sender);
    // Opens the photo library to add a photo tile (no control of the board sends it).
    void addImageButtonAction(const ns::Id& sender);
    void rateAction(const ns::Id& sender);
    void mailAction(const ns::Id& sender);
    void wifiAction(const ns::Id& sender);
    void dismissSettingsView();

    void peopleListViewController(PeopleListViewController* controller, const ns::Ref<ui::Image>& photo,
                                  int selectedIndex, const std::string& name, const std::string& phone,
                                  const std::string& reference) override;
    void imagePickerControllerDidFinishPickingMediaWithInfo(ui::ImagePickerController& picker,
                                                            const ns::Dictionary& info) override;
    void imagePickerControllerDidCancel(ui::ImagePickerController& picker) override;
    void mailComposeController(mui::MailComposeViewController& controller, mui::MailComposeResult result,
                               const ns::Ref<ns::Error>& error) override;

    // The next free tile image name in the documents folder: "image001.png" and up, never one that exists.
    std::string NextImageAvailable() const;

    // The board file.
    ns::Ref<DDXMLElement> xmlFromTouchImageView(const TouchImageView& tile) const;
    // A tile whose image cannot be found (or whose image name is a path) shows `fallbackImage` and keeps
    // its stored image name.
    ns::Ref<TouchImageView> touchImageViewFromXml(const DDXMLElement& element,
                                                  const char* fallbackImage = "contact-placeholder.png");
    static std::string boardFilePath(); // Documents/main.xml

    // The screens a tile opens: the people list (for a tile, or with no tile for a new contact tile whose
    // pick comes back to the board) and the tile editor.
    void presentPeopleList(const ns::Ref<TouchImageView>& tile);
    void presentTileEditor(const ns::Ref<TouchImageView>& tile);
    // For tests: another screen in place of the board's own; nothing shown when it gives nothing. An
    // empty factory brings the board's own screen back.
    using TileScreenFactory = std::function<ns::Ref<ui::ViewController>(const ns::Ref<TouchImageView>& tile,
                                                                        VelmoViewController& board)>;
    void setPeopleListFactory(TileScreenFactory factory);
    void setTileEditorFactory(TileScreenFactory factory);

    std::string className() const override { return "VelmoViewController"; }

protected:
    VelmoViewController();
    friend ns::Factory<VelmoViewController>;

private:
    void buildBoard();
    void buildDefaultBoard();
    // Reads and writes the board file; its tiles are the board's.
    const ns::Ref<BoardFile>& boardFile();
    bool loadBoardFile();
    void removeTiles();
    void addTile(const ns::Ref<TouchImageView>& tile);
    void buildToolbars();
    void buildBanner();
    ns::Ref<TouchImageView> makeTile(cg::Rect frame);
    // A new tile showing the photo, written to the next free image file, 90 wide at (160, 85); nothing
    // when the photo cannot be written.
    ns::Ref<TouchImageView> addPhotoTile(const ns::Ref<ui::Image>& photo);
    ns::Ref<ui::ViewController> makePeopleList(const ns::Ref<TouchImageView>& tile);
    ns::Ref<ui::ViewController> makeTileEditor(const ns::Ref<TouchImageView>& tile);

    ns::Weak<TouchImageView> m_mainTouchImageView;
    ns::Ref<ui::Toolbar> m_editToolBar;
    ns::Ref<ui::Toolbar> m_mainToolBar;
    ns::Ref<ui::BarButtonItem> m_deleteButton;
    ns::Weak<TouchImageView> m_selectedTouchImage;
    bool m_editMode = false;
    ns::Id m_adBannerView;
    bool m_adBannerViewIsVisible = false;
    float m_adBannerHeight = 0;
    // Tiles built at load lie below the toolbars and the banner: this many views are tiles at the bottom.
    std::size_t m_tilesBelowBars = 0;
    ns::Ref<BoardFile> m_boardFile;
    TileScreenFactory m_peopleListFactory;
    TileScreenFactory m_tileEditorFactory;
};
