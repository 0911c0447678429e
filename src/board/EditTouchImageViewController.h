#pragma once

#include "board/KTextFieldCell.h"
#include "board/PeopleListViewControllerDelegate.h"
#include "board/SelectionListViewController.h"
#include "uikit/TableViewController.h"

#include <string>
#include <vector>

class ChoiceCell;
class TouchImageView;

// The tile editor: the tile's type (none, web request, phone call) and its parameter (an address, or a
// contact whose number becomes a "tel:" address). Edits go into the tile directly.
class EditTouchImageViewController : public ui::TableViewController,
                                     public SelectionListViewControllerDelegate,
                                     public KTextFieldCellDelegate,
                                     public PeopleListViewControllerDelegate
{
public:
    static ns::Ref<EditTouchImageViewController> create()
    {
        return ns::Factory<EditTouchImageViewController>::make();
    }

    const ns::Ref<TouchImageView>& touchImage() const { return m_touchImage; }
    void setTouchImage(ns::Ref<TouchImageView> tile) { m_touchImage = std::move(tile); }
    const std::vector<std::string>& typeValue() const { return m_typeValue; }
    const std::vector<std::string>& typeIndex() const { return m_typeIndex; }
    const ns::Ref<ChoiceCell>& typeCell() const { return m_typeCell; }
    const ns::Ref<KTextFieldCell>& urlCell() const { return m_urlCell; }
    const ns::Ref<ui::TableViewCell>& telSel() const { return m_telSel; }

    void viewDidLoad() override;
    void viewWillDisappear(bool animated) override;
    void updateEnabledControls();
    // Keeps an address typed into the URL row, however editing ends.
    void storeTypedAddress();
    bool shouldAutorotateToInterfaceOrientation(ui::InterfaceOrientation orientation) const override
    {
        return orientation == ui::InterfaceOrientation::Portrait;
    }
    std::string NextImageAvailable() const;

    long numberOfSectionsInTableView(ui::TableView&) override;
    long tableViewNumberOfRowsInSection(ui::TableView&, std::size_t section) override;
    ns::Ref<ui::TableViewCell> tableViewCellForRowAtIndexPath(ui::TableView&, const ns::IndexPath&) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(ui::TableView&, std::size_t section) override;
    std::optional<std::string> tableViewTitleForFooterInSection(ui::TableView&, std::size_t section) override;
    void tableViewDidSelectRowAtIndexPath(ui::TableView&, const ns::IndexPath&) override;

    void selectionListViewController(SelectionListViewController& list, int32_t selectedIndex,
                                     const ns::Id& reference) override;
    void textFieldCellWillReturn(KTextFieldCell& cell) override;
    void textFieldCellDidEndEditing(KTextFieldCell& cell) override;
    void peopleListViewController(PeopleListViewController* controller, const ns::Ref<ui::Image>& photo,
                                  int selectedIndex, const std::string& name, const std::string& phone,
                                  const std::string& reference) override;

    std::string className() const override { return "EditTouchImageViewController"; }

protected:
    EditTouchImageViewController();
    friend ns::Factory<EditTouchImageViewController>;

private:
    std::string tileType() const;

    ns::Ref<TouchImageView> m_touchImage;
    std::vector<std::string> m_typeValue;
    std::vector<std::string> m_typeIndex;
    ns::Ref<ChoiceCell> m_typeCell;
    ns::Ref<KTextFieldCell> m_urlCell;
    ns::Ref<ui::TableViewCell> m_telSel;
};
