#include "uikit/TableViewCell.h"

#include "graphics/Context.h"
#include "uikit/Button.h"
#include "uikit/Color.h"
#include "uikit/Font.h"
#include "uikit/Image.h"
#include "uikit/ImageView.h"
#include "uikit/Label.h"
#include "uikit/StringDrawing.h"
#include "uikit/TableView.h"

#include <algorithm>
#include <cmath>

namespace ui {
namespace {

// The chevron or tick of the accessory type.
class AccessoryIndicator : public View
{
public:
    explicit AccessoryIndicator(TableViewCellAccessoryType type)
        : View(cg::makeRect(0, 0, 20, 20)), m_type(type)
    {
        setUserInteractionEnabled(type == TableViewCellAccessoryType::DetailDisclosureButton);
        setOpaque(false);
    }
    TableViewCellAccessoryType type() const { return m_type; }
    void drawRect(cg::Context& context, cg::Rect) override
    {
        cg::Rect b = bounds();
        context.setLineWidth(3);
        context.setLineCap(cg::LineCap::Round);
        context.setLineJoin(cg::LineJoin::Round);
        context.beginPath();
        switch (m_type) {
        case TableViewCellAccessoryType::DisclosureIndicator:
            context.setRGBStrokeColor(0.5f, 0.5f, 0.5f, 1);
            context.moveToPoint(b.midX() - 3, b.midY() - 6);
            context.addLineToPoint(b.midX() + 3, b.midY());
            context.addLineToPoint(b.midX() - 3, b.midY() + 6);
            context.strokePath();
            break;
        case TableViewCellAccessoryType::Checkmark:
            context.setRGBStrokeColor(0.2f, 0.33f, 0.53f, 1);
            context.moveToPoint(b.minX() + 4, b.midY());
            context.addLineToPoint(b.midX() - 1, b.maxY() - 5);
            context.addLineToPoint(b.maxX() - 3, b.minY() + 3);
            context.strokePath();
            break;
        case TableViewCellAccessoryType::DetailDisclosureButton:
            context.setRGBFillColor(0.15f, 0.4f, 0.85f, 1);
            context.fillEllipseInRect(b);
            context.setRGBStrokeColor(1, 1, 1, 1);
            context.moveToPoint(b.midX() - 2, b.midY() - 5);
            context.addLineToPoint(b.midX() + 3, b.midY());
            context.addLineToPoint(b.midX() - 2, b.midY() + 5);
            context.strokePath();
            break;
        case TableViewCellAccessoryType::None:
            break;
        }
    }
    std::string className() const override { return "UITableViewCellAccessory"; }

private:
    TableViewCellAccessoryType m_type;
};

} // namespace

TableViewCell::TableViewCell() : TableViewCell(TableViewCellStyle::Default, std::nullopt)
{
}

TableViewCell::TableViewCell(TableViewCellStyle style, std::optional<std::string> reuseIdentifier)
    : View(cg::makeRect(0, 0, 320, 44)), m_style(style), m_reuseIdentifier(std::move(reuseIdentifier)),
      m_contentView(View::create(cg::makeRect(0, 0, 320, 43))), m_textLabel(Label::create()),
      m_imageView(ImageView::create())
{
    setBackgroundColor(Color::whiteColor());
    m_contentView->setBackgroundColor(nullptr);
    addSubview(m_contentView);
    m_contentView->addSubview(m_imageView);
    m_textLabel->setBackgroundColor(nullptr);
    m_contentView->addSubview(m_textLabel);
    switch (style) {
    case TableViewCellStyle::Default:
        m_textLabel->setFont(Font::boldSystemFontOfSize(20));
        break;
    case TableViewCellStyle::Subtitle:
        m_textLabel->setFont(Font::boldSystemFontOfSize(18));
        break;
    case TableViewCellStyle::Value1:
    case TableViewCellStyle::Value2:
        m_textLabel->setFont(Font::boldSystemFontOfSize(17));
        break;
    }
    if (style != TableViewCellStyle::Default) {
        m_detailTextLabel = Label::create();
        m_detailTextLabel->setBackgroundColor(nullptr);
        if (style == TableViewCellStyle::Subtitle) {
            m_detailTextLabel->setFont(Font::systemFontOfSize(14));
            m_detailTextLabel->setTextColor(Color::grayColor());
        } else {
            m_detailTextLabel->setFont(Font::systemFontOfSize(17));
            m_detailTextLabel->setTextColor(Color::colorWithRed(0.22f, 0.33f, 0.53f, 1));
        }
        m_contentView->addSubview(m_detailTextLabel);
    }
}

void TableViewCell::setAccessoryType(TableViewCellAccessoryType type)
{
    m_accessoryType = type;
    setNeedsLayout();
}

void TableViewCell::setAccessoryView(ns::Ref<View> view)
{
    m_accessoryView = std::move(view);
    setNeedsLayout();
}

void TableViewCell::setEditingAccessoryView(ns::Ref<View> view)
{
    m_editingAccessoryView = std::move(view);
    setNeedsLayout();
}

void TableViewCell::setBackgroundView(ns::Ref<View> view)
{
    if (m_backgroundView && m_backgroundView->superview() == this)
        m_backgroundView->removeFromSuperview();
    m_backgroundView = std::move(view);
    if (m_backgroundView)
        insertSubviewAtIndex(m_backgroundView, 0);
    setNeedsLayout();
}

void TableViewCell::setSelected(bool selected, bool)
{
    m_selected = selected;
    m_textLabel->setHighlighted(selected || m_highlighted);
    if (m_detailTextLabel)
        m_detailTextLabel->setHighlighted(selected || m_highlighted);
    setNeedsDisplay();
}

void TableViewCell::setHighlighted(bool highlighted, bool)
{
    m_highlighted = highlighted;
    m_textLabel->setHighlighted(highlighted || m_selected);
    if (m_detailTextLabel)
        m_detailTextLabel->setHighlighted(highlighted || m_selected);
    setNeedsDisplay();
}

void TableViewCell::setEditing(bool editing, bool)
{
    m_editing = editing;
    if (!editing)
        m_showingDeleteConfirmation = false;
    setNeedsLayout();
}

void TableViewCell::setGrouped(bool grouped)
{
    if (grouped == m_grouped)
        return;
    m_grouped = grouped;
    // A grouped row is a white band inset from the table's edges, drawn by the cell itself.
    if (grouped && backgroundColor() && backgroundColor()->isEqual(*Color::whiteColor()))
        setBackgroundColor(nullptr);
    else if (!grouped && !backgroundColor())
        setBackgroundColor(Color::whiteColor());
    setNeedsLayout();
}

void TableViewCell::setSectionIndexWidth(cg::Float width)
{
    if (width == m_sectionIndexWidth)
        return;
    m_sectionIndexWidth = width;
    setNeedsLayout();
    setNeedsDisplay();
}

void TableViewCell::setShowingDeleteConfirmation(bool showing)
{
    m_showingDeleteConfirmation = showing;
    setNeedsLayout();
}

TableView* TableViewCell::tableView() const
{
    return dynamic_cast<TableView*>(superview());
}

ns::Ref<View> TableViewCell::currentAccessory()
{
    if (m_editing && m_editingAccessoryView)
        return m_editingAccessoryView;
    TableViewCellAccessoryType type = m_editing ? m_editingAccessoryType : m_accessoryType;
    if (!m_editing && m_accessoryView)
        return m_accessoryView;
    if (type == TableViewCellAccessoryType::None)
        return nullptr;
    auto* indicator = dynamic_cast<AccessoryIndicator*>(m_accessoryIndicator.get());
    if (!indicator || indicator->type() != type)
        m_accessoryIndicator = ns::make<AccessoryIndicator>(type);
    return m_accessoryIndicator;
}

void TableViewCell::layoutSubviews()
{
    cg::Rect b = bounds();
    cg::Float inset = m_grouped ? 10 : 0;
    cg::Float left = inset, right = std::max<cg::Float>(left, b.size.width - inset - m_sectionIndexWidth);

    // Accessory.
    ns::Ref<View> accessory = currentAccessory();
    right = layoutAccessory(accessory, b, right);

    // Editing control and the delete confirmation.
    bool control = m_editing && m_tableEditingStyle != TableViewCellEditingStyle::None;
    layoutEditingControl(control, b, left);
    layoutDeleteConfirmation(control && m_showingDeleteConfirmation, b, right);

    cg::Float shift = cg::Float(m_indentationLevel) * m_indentationWidth;
    if (control && m_shouldIndentWhileEditing)
        shift += 32;
    cg::Float contentX = left + shift;
    cg::Float contentWidth = std::max<cg::Float>(0, right - contentX);
    cg::Float contentHeight = std::max<cg::Float>(0, b.size.height - 1);
    m_contentView->setFrame(cg::makeRect(contentX, 0, contentWidth, contentHeight));
    if (m_backgroundView)
        m_backgroundView->setFrame(b);

    // Image and labels inside the content view.
    layoutContent(contentWidth, contentHeight);
}

// Places the accessory at the right edge; returns the right edge left for the content.
cg::Float TableViewCell::layoutAccessory(const ns::Ref<View>& accessory, cg::Rect b, cg::Float right)
{
    if (m_shownAccessory && m_shownAccessory != accessory && m_shownAccessory->superview() == this)
        m_shownAccessory->removeFromSuperview();
    m_shownAccessory = accessory;
    if (!accessory)
        return right;
    cg::Size size = accessory->frame().size;
    accessory->setFrame(cg::makeRect(right - 10 - size.width, std::round((b.size.height - size.height) / 2),
                                     size.width, size.height));
    if (accessory->superview() != this)
        addSubview(accessory);
    return right - (10 + size.width);
}

void TableViewCell::layoutEditingControl(bool shown, cg::Rect b, cg::Float left)
{
    if (!shown) {
        if (m_editingControl && m_editingControl->superview() == this)
            m_editingControl->removeFromSuperview();
        return;
    }
    if (!m_editingControl) {
        m_editingControl = Button::create();
        m_editingControl->titleLabel()->setFont(Font::boldSystemFontOfSize(20));
        m_editingControl->addTarget(
            nullptr,
            [weak = weakSelf<TableViewCell>()](const ns::Id&) {
                auto cell = weak.lock();
                if (!cell)
                    return;
                if (cell->m_tableEditingStyle == TableViewCellEditingStyle::Insert) {
                    if (auto* table = cell->tableView())
                        table->commitEditingForCell(cell.get(), TableViewCellEditingStyle::Insert);
                } else {
                    cell->setShowingDeleteConfirmation(!cell->m_showingDeleteConfirmation);
                }
            },
            ControlEventTouchUpInside);
    }
    m_editingControl->setTitle(m_tableEditingStyle == TableViewCellEditingStyle::Insert ? "+" : "\u2212");
    m_editingControl->setTitleColor(m_tableEditingStyle == TableViewCellEditingStyle::Insert
                                        ? Color::colorWithRed(0.2f, 0.7f, 0.2f, 1)
                                        : Color::redColor());
    m_editingControl->setFrame(cg::makeRect(left, 0, 32, b.size.height));
    if (m_editingControl->superview() != this)
        addSubview(m_editingControl);
}

void TableViewCell::layoutDeleteConfirmation(bool shown, cg::Rect b, cg::Float right)
{
    if (!shown) {
        if (m_deleteButton && m_deleteButton->superview() == this)
            m_deleteButton->removeFromSuperview();
        return;
    }
    if (!m_deleteButton) {
        m_deleteButton = Button::create();
        m_deleteButton->setTitle("Delete");
        m_deleteButton->setBackgroundColor(Color::colorWithRed(0.8f, 0.1f, 0.1f, 1));
        m_deleteButton->addTarget(
            nullptr,
            [weak = weakSelf<TableViewCell>()](const ns::Id&) {
                auto cell = weak.lock();
                if (!cell)
                    return;
                if (auto* table = cell->tableView())
                    table->commitEditingForCell(cell.get(), TableViewCellEditingStyle::Delete);
            },
            ControlEventTouchUpInside);
    }
    m_deleteButton->setFrame(cg::makeRect(right - 70, std::round((b.size.height - 30) / 2), 64, 30));
    if (m_deleteButton->superview() != this)
        addSubview(m_deleteButton);
}

// The image at the left of the content view, then the labels as the style places them.
void TableViewCell::layoutContent(cg::Float contentWidth, cg::Float contentHeight)
{
    cg::Float x = 10;
    if (auto image = m_imageView->image()) {
        cg::Size s = image->size();
        cg::Float h = std::min(s.height, contentHeight);
        cg::Float w = s.height > 0 ? s.width * h / s.height : 0;
        m_imageView->setFrame(cg::makeRect(10, std::round((contentHeight - h) / 2), w, h));
        x = 10 + w + 10;
    } else {
        m_imageView->setFrame(cg::Rect{});
    }
    cg::Float available = std::max<cg::Float>(0, contentWidth - x - 10);
    auto measure = [](const Label& label) {
        if (!label.text() || label.text()->empty())
            return cg::Size{0, label.font()->lineHeight()};
        cg::Size s = sizeWithFont(*label.text(), *label.font());
        return s;
    };
    cg::Size t = measure(*m_textLabel);
    switch (m_style) {
    case TableViewCellStyle::Default:
        m_textLabel->setFrame(cg::makeRect(x, 0, available, contentHeight));
        break;
    case TableViewCellStyle::Subtitle: {
        cg::Size d = measure(*m_detailTextLabel);
        cg::Float top = std::round((contentHeight - t.height - d.height) / 2);
        m_textLabel->setFrame(cg::makeRect(x, top, std::min(t.width, available), t.height));
        m_detailTextLabel->setFrame(cg::makeRect(x, top + t.height, std::min(d.width, available), d.height));
        break;
    }
    case TableViewCellStyle::Value1:
    case TableViewCellStyle::Value2: {
        cg::Size d = measure(*m_detailTextLabel);
        cg::Float dw = std::min(d.width, available);
        cg::Float tw = std::min(t.width, std::max<cg::Float>(0, available - dw - 10));
        m_textLabel->setFrame(cg::makeRect(x, std::round((contentHeight - t.height) / 2), tw, t.height));
        m_detailTextLabel->setFrame(
            cg::makeRect(x + available - dw, std::round((contentHeight - d.height) / 2), dw, d.height));
        break;
    }
    }
}

void TableViewCell::drawRect(cg::Context& context, cg::Rect)
{
    cg::Rect b = bounds();
    if (m_grouped) {
        // The band keeps clear of the section index.
        b = cg::inset(b, 10, 0);
        b.size.width = std::max<cg::Float>(0, b.size.width - m_sectionIndexWidth);
        if (!backgroundColor()) {
            context.setRGBFillColor(1, 1, 1, 1);
            context.fillRect(b);
        }
        context.setRGBFillColor(0.67f, 0.67f, 0.67f, 1);
        context.fillRect(cg::makeRect(b.minX(), b.minY(), 1, b.size.height));
        context.fillRect(cg::makeRect(b.maxX() - 1, b.minY(), 1, b.size.height));
    }
    if ((m_selected || m_highlighted) && m_selectionStyle != TableViewCellSelectionStyle::None) {
        if (m_selectionStyle == TableViewCellSelectionStyle::Blue)
            context.setRGBFillColor(0.02f, 0.45f, 0.91f, 1);
        else
            context.setRGBFillColor(0.75f, 0.75f, 0.75f, 1);
        context.fillRect(b);
    }
    // The separator along the bottom edge.
    context.setRGBFillColor(0.88f, 0.88f, 0.88f, 1);
    context.fillRect(cg::makeRect(b.origin.x, b.maxY() - 1, b.size.width, 1));
}

} // namespace ui
