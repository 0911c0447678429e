#pragma once

#include "system/MessageComposeViewController.h"
#include "uikit/ImageView.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace ui {
class Color;
class Label;
class Touch;
class TouchSet;
} // namespace ui
class TouchImageBadgeView;
class VelmoViewController;

// One tile of the board: a photo with a title under it and a badge, and what a tap on it does.
class TouchImageView : public ui::ImageView, public mui::MessageComposeViewControllerDelegate
{
public:
    // A tile with its title label and its badge.
    static ns::Ref<TouchImageView> create(cg::Rect frame = {});

    // The default contact tile: the placeholder image, 90 wide, "unknown", no title, badge or contact.
    void setDefault();

    void layoutSubviews() override;
    void touchesBegan(const ui::TouchSet& touches, ui::Event* event) override;
    void touchesMoved(const ui::TouchSet& touches, ui::Event* event) override;
    void touchesEnded(const ui::TouchSet& touches, ui::Event* event) override;
    void touchesCancelled(const ui::TouchSet& touches, ui::Event* event) override;

    void launchAction();
    // The tile editor in edit mode, the people list otherwise.
    void EditButton();
    void mailAction(const ns::Id& sender);
    void messageComposeViewController(mui::MessageComposeViewController& controller,
                                      mui::MessageComposeResult result) override;

    // Gesture arithmetic.
    cg::AffineTransform incrementalTransformWithTouches(const ui::TouchSet& touches) const;
    void updateOriginalTransformForTouches(const ui::TouchSet& touches);
    void cacheBeginPointForTouches(const ui::TouchSet& touches);
    void removeTouchesFromCache(const ui::TouchSet& touches);
    bool hasCachedBeginPoint(const ui::Touch* touch) const { return m_touchBeginPoints.count(touch) != 0; }

    const std::vector<ns::Ref<TouchImageView>>& children() const { return m_children; }
    std::vector<ns::Ref<TouchImageView>>& mutableChildren() { return m_children; }
    void setChildren(std::vector<ns::Ref<TouchImageView>> children) { m_children = std::move(children); }
    ns::Ref<TouchImageView> parent() const { return m_parent.lock(); }
    // Held weakly: the parent holds its children, so a strong reference back would keep both forever.
    void setParent(const ns::Ref<TouchImageView>& parent) { m_parent = parent; }
    cg::AffineTransform originalTransform() const { return m_originalTransform; }
    void setOriginalTransform(cg::AffineTransform transform) { m_originalTransform = transform; }
    const std::optional<std::string>& imageName() const { return m_imageName; }
    void setImageName(std::optional<std::string> name) { m_imageName = std::move(name); }
    cg::Rect origSize() const { return m_origSize; }
    void setOrigSize(cg::Rect size) { m_origSize = size; }
    bool movable() const { return m_movable; }
    void setMovable(bool movable) { m_movable = movable; }
    const std::optional<std::string>& type() const { return m_type; }
    void setType(std::optional<std::string> type);
    const std::optional<std::string>& parameters() const { return m_parameters; }
    void setParameters(std::optional<std::string> parameters) { m_parameters = std::move(parameters); }
    const std::optional<std::string>& title() const { return m_title; }
    // A title longer than MaxTitleLength characters (UTF-16 units) keeps its first MaxTitleLength.
    void setTitle(std::optional<std::string> title);
    static constexpr std::size_t MaxTitleLength = 1000;
    const std::optional<std::string>& badgeString() const { return m_badgeString; }
    void setBadgeString(std::optional<std::string> text) { m_badgeString = std::move(text); }
    const ns::Ref<ui::Color>& badgeColor() const { return m_badgeColor; }
    void setBadgeColor(ns::Ref<ui::Color> color) { m_badgeColor = std::move(color); }
    int32_t id() const { return m_id; }
    void setId(int32_t id) { m_id = id; }
    // The board (not retained: the board's view holds the tile).
    ns::Ref<VelmoViewController> viewController() const { return m_viewController.lock(); }
    void setViewController(const ns::Ref<VelmoViewController>& controller) { m_viewController = controller; }
    const ns::Ref<TouchImageBadgeView>& badge() const { return m_badge; }
    const ns::Ref<ui::Label>& labelView() const { return m_labelView; }

    std::string className() const override { return "TouchImageView"; }

protected:
    TouchImageView();
    explicit TouchImageView(cg::Rect frame);
    friend ns::Factory<TouchImageView>;

private:
    bool inEditMode() const;
    ui::TouchSet touchesForThisTile(ui::Event* event, const ui::TouchSet& fallback) const;
    void endTouches(const ui::TouchSet& touches, ui::Event* event, bool cancelled);

    std::unordered_map<const ui::Touch*, cg::Point> m_touchBeginPoints;
    std::vector<ns::Ref<TouchImageView>> m_children;
    ns::Weak<TouchImageView> m_parent;
    cg::AffineTransform m_originalTransform;
    std::optional<std::string> m_imageName;
    cg::Rect m_origSize;
    bool m_movable = true;
    std::optional<std::string> m_type;
    std::optional<std::string> m_parameters;
    std::optional<std::string> m_title;
    std::optional<std::string> m_badgeString;
    ns::Ref<ui::Color> m_badgeColor;
    int32_t m_id = 0;
    ns::Ref<ui::Label> m_labelView;
    ns::Weak<VelmoViewController> m_viewController;
    ns::Ref<TouchImageBadgeView> m_badge;
};
