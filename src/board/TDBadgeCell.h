#pragma once

#include "uikit/TableViewCell.h"

#include <optional>
#include <string>

namespace ui {
class Color;
}
class MultipartLabel;
class TDBadgeCell;

// The rounded label badge at a row's right edge; its letters are cut out of the fill so the row shows
// through them.
class TDBadgeView : public ui::View
{
public:
    static ns::Ref<TDBadgeView> create() { return ns::Factory<TDBadgeView>::make(); }
    static ns::Ref<TDBadgeView> create(cg::Rect frame) { return ns::Factory<TDBadgeView>::make(frame); }

    const std::optional<std::string>& badgeString() const { return m_badgeString; }
    void setBadgeString(std::optional<std::string> text) { m_badgeString = std::move(text); }
    TDBadgeCell* parent() const { return m_parent; }
    void setParent(TDBadgeCell* parent) { m_parent = parent; }
    const ns::Ref<ui::Color>& badgeColor() const { return m_badgeColor; }
    void setBadgeColor(ns::Ref<ui::Color> color) { m_badgeColor = std::move(color); }
    const ns::Ref<ui::Color>& badgeColorHighlighted() const { return m_badgeColorHighlighted; }
    void setBadgeColorHighlighted(ns::Ref<ui::Color> color) { m_badgeColorHighlighted = std::move(color); }
    bool showShadow() const { return m_showShadow; }
    void setShowShadow(bool show) { m_showShadow = show; }
    float radius() const { return m_radius; }
    void setRadius(float radius) { m_radius = radius; }

    // The corner radius drawn: 4 when none was set.
    float effectiveRadius() const { return m_radius == 0 ? 4.0f : m_radius; }
    // The fill the badge is drawn in for its cell's current state.
    ns::Ref<ui::Color> currentFill() const;
    // Whether the cell's state asks for the lifted look (and the fill of the highlighted state).
    bool parentShowsHighlight() const;

    void drawRect(cg::Context& context, cg::Rect rect) override;
    std::string className() const override { return "TDBadgeView"; }

protected:
    TDBadgeView();
    explicit TDBadgeView(cg::Rect frame);
    friend ns::Factory<TDBadgeView>;

private:
    std::optional<std::string> m_badgeString;
    TDBadgeCell* m_parent = nullptr; // the cell owns the badge
    ns::Ref<ui::Color> m_badgeColor;
    ns::Ref<ui::Color> m_badgeColorHighlighted;
    bool m_showShadow = false;
    float m_radius = 0;
};

// A subtitle row with a badge at its right edge; the name can be shown in coloured parts over the text
// label.
class TDBadgeCell : public ui::TableViewCell
{
public:
    ~TDBadgeCell() override;
    // Builds the badge and the name label once the cell is shared.
    static ns::Ref<TDBadgeCell> create(ui::TableViewCellStyle style,
                                       std::optional<std::string> reuseIdentifier);
    void configureSelf();

    const std::optional<std::string>& badgeString() const { return m_badgeString; }
    void setBadgeString(std::optional<std::string> text) { m_badgeString = std::move(text); }
    const ns::Ref<TDBadgeView>& badge() const { return m_badge; }
    const ns::Ref<ui::Color>& badgeColor() const { return m_badgeColor; }
    void setBadgeColor(ns::Ref<ui::Color> color) { m_badgeColor = std::move(color); }
    const ns::Ref<ui::Color>& badgeColorHighlighted() const { return m_badgeColorHighlighted; }
    void setBadgeColorHighlighted(ns::Ref<ui::Color> color) { m_badgeColorHighlighted = std::move(color); }
    bool showShadow() const { return m_showShadow; }
    void setShowShadow(bool show) { m_showShadow = show; }
    const ns::Ref<MultipartLabel>& multipartLabel() const { return m_multipartLabel; }

    static ns::Ref<ui::Color> defaultBadgeColor();            // 0.53 0.6 0.738
    static ns::Ref<ui::Color> defaultHighlightedBadgeColor(); // white

    void layoutSubviews() override;
    void setHighlighted(bool highlighted, bool animated) override;
    void setSelected(bool selected, bool animated) override;
    void setEditing(bool editing, bool animated) override;

    std::string className() const override { return "TDBadgeCell"; }

protected:
    TDBadgeCell(ui::TableViewCellStyle style, std::optional<std::string> reuseIdentifier);
    friend ns::Factory<TDBadgeCell>;

private:
    std::optional<std::string> m_badgeString;
    ns::Ref<TDBadgeView> m_badge;
    ns::Ref<ui::Color> m_badgeColor;
    ns::Ref<ui::Color> m_badgeColorHighlighted;
    bool m_showShadow = false;
    ns::Ref<MultipartLabel> m_multipartLabel;
};
