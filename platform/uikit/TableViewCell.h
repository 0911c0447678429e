#pragma once

#include "uikit/Action.h"
#include "uikit/View.h"

#include <optional>
#include <string>

namespace ui {

class Button;
class ImageView;
class Label;
class TableView;

enum class TableViewCellStyle { Default = 0, Value1 = 1, Value2 = 2, Subtitle = 3 };
enum class TableViewCellAccessoryType {
    None = 0,
    DisclosureIndicator = 1,
    DetailDisclosureButton = 2,
    Checkmark = 3
};
enum class TableViewCellSelectionStyle { None = 0, Blue = 1, Gray = 2 };
enum class TableViewCellEditingStyle { None = 0, Delete = 1, Insert = 2 };

// One row of a table: a content view holding an image and one or two labels by style, and an
// accessory at the right.
//
// Base layout (cell bounds W by H; 10 points of inset on each side in a grouped table, and the table's
// section index width off the right edge when it shows an index):
//  - accessory: 20 by 20 (or the accessory view's size) 10 points from the right edge, centred;
//  - content view: from the left inset to the accessory less 10 (to the right inset without one),
//    H - 1 high (the separator takes the last point); moved right by 32 while editing with a control,
//    and by the indentation;
//  - image: 10 points in, centred, no taller than the content;
//  - labels from 10 points right of the image (or 10 in), as wide as their text up to 10 short of
//    the content's right edge: default, one label the content's height; subtitle, text over detail,
//    centred as a pair; value 1, text left and detail right, each centred.
class TableViewCell : public View
{
public:
    static ns::Ref<TableViewCell> create() { return ns::Factory<TableViewCell>::make(); }
    static ns::Ref<TableViewCell> create(TableViewCellStyle style, std::optional<std::string> reuseIdentifier)
    {
        return ns::Factory<TableViewCell>::make(style, std::move(reuseIdentifier));
    }

    TableViewCellStyle style() const { return m_style; }
    const std::optional<std::string>& reuseIdentifier() const { return m_reuseIdentifier; }
    virtual void prepareForReuse() {}

    const ns::Ref<View>& contentView() const { return m_contentView; }
    const ns::Ref<Label>& textLabel() const { return m_textLabel; }
    // Nothing in the default style.
    const ns::Ref<Label>& detailTextLabel() const { return m_detailTextLabel; }
    const ns::Ref<ImageView>& imageView() const { return m_imageView; }

    TableViewCellAccessoryType accessoryType() const { return m_accessoryType; }
    void setAccessoryType(TableViewCellAccessoryType type);
    const ns::Ref<View>& accessoryView() const { return m_accessoryView; }
    void setAccessoryView(ns::Ref<View> view);
    TableViewCellAccessoryType editingAccessoryType() const { return m_editingAccessoryType; }
    void setEditingAccessoryType(TableViewCellAccessoryType type)
    {
        m_editingAccessoryType = type;
        setNeedsLayout();
    }
    const ns::Ref<View>& editingAccessoryView() const { return m_editingAccessoryView; }
    void setEditingAccessoryView(ns::Ref<View> view);
    TableViewCellSelectionStyle selectionStyle() const { return m_selectionStyle; }
    void setSelectionStyle(TableViewCellSelectionStyle style) { m_selectionStyle = style; }
    const ns::Ref<View>& backgroundView() const { return m_backgroundView; }
    void setBackgroundView(ns::Ref<View> view);
    const ns::Ref<View>& selectedBackgroundView() const { return m_selectedBackgroundView; }
    void setSelectedBackgroundView(ns::Ref<View> view) { m_selectedBackgroundView = std::move(view); }

    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { setSelected(selected, false); }
    virtual void setSelected(bool selected, bool animated);
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted) { setHighlighted(highlighted, false); }
    virtual void setHighlighted(bool highlighted, bool animated);
    bool isEditing() const { return m_editing; }
    void setEditing(bool editing) { setEditing(editing, false); }
    virtual void setEditing(bool editing, bool animated);
    bool showingDeleteConfirmation() const { return m_showingDeleteConfirmation; }

    long indentationLevel() const { return m_indentationLevel; }
    void setIndentationLevel(long level)
    {
        m_indentationLevel = level;
        setNeedsLayout();
    }
    cg::Float indentationWidth() const { return m_indentationWidth; }
    void setIndentationWidth(cg::Float width)
    {
        m_indentationWidth = width;
        setNeedsLayout();
    }
    bool shouldIndentWhileEditing() const { return m_shouldIndentWhileEditing; }
    void setShouldIndentWhileEditing(bool indent) { m_shouldIndentWhileEditing = indent; }
    bool showsReorderControl() const { return m_showsReorderControl; }
    void setShowsReorderControl(bool shows) { m_showsReorderControl = shows; }

    // The table the cell is in, or nothing.
    TableView* tableView() const;

    void layoutSubviews() override;
    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "UITableViewCell"; }

    // Set by the table: the row's editing style, and whether it sits in a grouped table.
    void setTableEditingStyle(TableViewCellEditingStyle style)
    {
        m_tableEditingStyle = style;
        setNeedsLayout();
    }
    void setGrouped(bool grouped);
    cg::Float sectionIndexWidth() const { return m_sectionIndexWidth; }
    void setSectionIndexWidth(cg::Float width);
    void setShowingDeleteConfirmation(bool showing);
    // The red button shown while deleting is confirmed, or nothing.
    const ns::Ref<Button>& deleteConfirmationButton() const { return m_deleteButton; }
    const ns::Ref<Button>& editingControl() const { return m_editingControl; }

protected:
    TableViewCell();
    TableViewCell(TableViewCellStyle style, std::optional<std::string> reuseIdentifier);
    friend ns::Factory<TableViewCell>;

private:
    cg::Float layoutAccessory(const ns::Ref<View>& accessory, cg::Rect b, cg::Float right);
    void layoutEditingControl(bool shown, cg::Rect b, cg::Float left);
    void layoutDeleteConfirmation(bool shown, cg::Rect b, cg::Float right);
    void layoutContent(cg::Float contentWidth, cg::Float contentHeight);
    ns::Ref<View> currentAccessory();

    TableViewCellStyle m_style = TableViewCellStyle::Default;
    cg::Float m_sectionIndexWidth = 0;
    std::optional<std::string> m_reuseIdentifier;
    ns::Ref<View> m_contentView;
    ns::Ref<Label> m_textLabel;
    ns::Ref<Label> m_detailTextLabel;
    ns::Ref<ImageView> m_imageView;
    TableViewCellAccessoryType m_accessoryType = TableViewCellAccessoryType::None;
    TableViewCellAccessoryType m_editingAccessoryType = TableViewCellAccessoryType::None;
    ns::Ref<View> m_accessoryView;
    ns::Ref<View> m_editingAccessoryView;
    ns::Ref<View> m_accessoryIndicator; // drawn for the accessory type
    ns::Ref<View> m_shownAccessory;
    ns::Ref<View> m_backgroundView;
    ns::Ref<View> m_selectedBackgroundView;
    ns::Ref<Button> m_editingControl;
    ns::Ref<Button> m_deleteButton;
    TableViewCellSelectionStyle m_selectionStyle = TableViewCellSelectionStyle::Blue;
    TableViewCellEditingStyle m_tableEditingStyle = TableViewCellEditingStyle::None;
    bool m_selected = false;
    bool m_highlighted = false;
    bool m_editing = false;
    bool m_grouped = false;
    bool m_showingDeleteConfirmation = false;
    long m_indentationLevel = 0;
    cg::Float m_indentationWidth = 10;
    bool m_shouldIndentWhileEditing = true;
    bool m_showsReorderControl = false;
};

} // namespace ui
