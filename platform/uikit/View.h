#pragma once

#include "foundation/Date.h"
#include "graphics/Geometry.h"
#include "uikit/Layer.h"
#include "uikit/Responder.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cg {
class Context;
}

namespace ui {

class Color;
class ViewController;
class Window;

enum class ContentMode {
    ScaleToFill = 0,
    ScaleAspectFit = 1,
    ScaleAspectFill = 2,
    Redraw = 3,
    Center = 4,
    Top = 5,
    Bottom = 6,
    Left = 7,
    Right = 8,
    TopLeft = 9,
    TopRight = 10,
    BottomLeft = 11,
    BottomRight = 12,
};

// Autoresizing mask bits; recorded only (the screen never changes size).
enum Autoresizing : unsigned {
    AutoresizingNone = 0,
    AutoresizingFlexibleLeftMargin = 1 << 0,
    AutoresizingFlexibleWidth = 1 << 1,
    AutoresizingFlexibleRightMargin = 1 << 2,
    AutoresizingFlexibleTopMargin = 1 << 3,
    AutoresizingFlexibleHeight = 1 << 4,
    AutoresizingFlexibleBottomMargin = 1 << 5,
};

enum class AnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };

// What an animation was asked to do; the changes themselves take effect at once.
struct AnimationRecord
{
    std::string name; // empty for a block animation
    ns::TimeInterval duration = 0.2;
    ns::TimeInterval delay = 0;
    bool beginsFromCurrentState = false;
    AnimationCurve curve = AnimationCurve::EaseInOut;
};

// A rectangle of the screen with its subviews. Geometry is kept as the centre, the bounds and the
// transform (applied about the centre); the frame is derived from them.
class View : public Responder
{
public:
    static ns::Ref<View> create() { return ns::Factory<View>::make(); }
    static ns::Ref<View> create(cg::Rect frame) { return ns::Factory<View>::make(frame); }
    ~View() override;

    // Geometry. Under a transform the frame is the enclosing box of the transformed bounds.
    cg::Rect frame() const;
    // Under a transform the centre moves to the new frame's middle and the bounds take the size of the
    // new frame carried back through the inverse transform, so an untouched frame sets back unchanged.
    void setFrame(cg::Rect frame);
    cg::Rect bounds() const { return m_bounds; }
    void setBounds(cg::Rect bounds);
    cg::Point center() const { return m_center; }
    void setCenter(cg::Point center) { m_center = center; }
    cg::AffineTransform transform() const { return m_transform; }
    void setTransform(const cg::AffineTransform& transform) { m_transform = transform; }

    // Appearance.
    cg::Float alpha() const { return m_alpha; }
    void setAlpha(cg::Float alpha);
    bool isHidden() const { return m_hidden; }
    void setHidden(bool hidden) { m_hidden = hidden; }
    const ns::Ref<Color>& backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(ns::Ref<Color> color) { m_backgroundColor = std::move(color); }
    bool isOpaque() const { return m_opaque; }
    void setOpaque(bool opaque) { m_opaque = opaque; }
    bool clipsToBounds() const { return m_layer->masksToBounds(); }
    void setClipsToBounds(bool clips) { m_layer->setMasksToBounds(clips); }
    ContentMode contentMode() const { return m_contentMode; }
    void setContentMode(ContentMode mode) { m_contentMode = mode; }
    const ns::Ref<Layer>& layer() const { return m_layer; }

    // Touch flags.
    bool isUserInteractionEnabled() const { return m_userInteractionEnabled; }
    void setUserInteractionEnabled(bool enabled) { m_userInteractionEnabled = enabled; }
    bool isMultipleTouchEnabled() const { return m_multipleTouchEnabled; }
    void setMultipleTouchEnabled(bool enabled) { m_multipleTouchEnabled = enabled; }
    bool isExclusiveTouch() const { return m_exclusiveTouch; }
    void setExclusiveTouch(bool exclusive) { m_exclusiveTouch = exclusive; }

    // Recorded only.
    unsigned autoresizingMask() const { return m_autoresizingMask; }
    void setAutoresizingMask(unsigned mask) { m_autoresizingMask = mask; }
    bool autoresizesSubviews() const { return m_autoresizesSubviews; }
    void setAutoresizesSubviews(bool resizes) { m_autoresizesSubviews = resizes; }

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // This view or the first descendant (depth first) with the tag.
    View* viewWithTag(int tag);

    // The hierarchy. Subviews are retained, back to front; the superview is not.
    View* superview() const { return m_superview; }
    const std::vector<ns::Ref<View>>& subviews() const { return m_subviews; }
    // The window at the root of this view's hierarchy, or nothing.
    Window* window() const;
    // Adding a view that has a superview moves it; adding it again to the same superview brings it to
    // the front.
    void addSubview(const ns::Ref<View>& view);
    void insertSubviewAtIndex(const ns::Ref<View>& view, std::size_t index);
    void insertSubviewBelowSubview(const ns::Ref<View>& view, const View* sibling);
    void insertSubviewAboveSubview(const ns::Ref<View>& view, const View* sibling);
    void removeFromSuperview();
    void bringSubviewToFront(const View* view);
    void sendSubviewToBack(const View* view);
    bool isDescendantOfView(const View* view) const; // true for the view itself

    // Hooks around hierarchy changes.
    virtual void didAddSubview(View* subview);
    virtual void willRemoveSubview(View* subview);
    virtual void didMoveToSuperview();
    virtual void didMoveToWindow();

    // Layout: requests are collected and carried out by layoutIfNeeded (which the window runs before
    // drawing and after each touch) from the top down.
    void setNeedsLayout() { m_needsLayout = true; }
    bool needsLayout() const { return m_needsLayout; }
    void layoutIfNeeded();
    virtual void layoutSubviews();
    virtual cg::Size sizeThatFits(cg::Size size) const;
    void sizeToFit();

    // Drawing: drawRect draws the view's own content in its bounds' coordinates.
    void setNeedsDisplay() { m_needsDisplay = true; }
    bool needsDisplay() const { return m_needsDisplay; }
    void clearNeedsDisplay() { m_needsDisplay = false; }
    virtual void drawRect(cg::Context& context, cg::Rect rect);
    // Whether drawRect is this view's own (the renderer skips the call for plain views).
    virtual bool drawsContent() const { return false; }

    // Hit testing: the deepest visible, touchable descendant containing the point (in this view's
    // coordinates), front to back; nothing when the point is outside.
    virtual ns::Ref<View> hitTest(cg::Point point, Event* event);
    virtual bool pointInside(cg::Point point, Event* event) const;

    // Conversions; nothing means the window (the root of the hierarchy).
    cg::Point convertPointToView(cg::Point point, const View* view) const;
    cg::Point convertPointFromView(cg::Point point, const View* view) const;
    cg::Rect convertRectToView(cg::Rect rect, const View* view) const;
    cg::Rect convertRectFromView(cg::Rect rect, const View* view) const;
    // Whether the view can be drawn and touched: finite geometry under an invertible transform (an
    // all-zero transform collapses it to nothing).
    bool hasDrawableGeometry() const;
    // One step up or down the hierarchy.
    cg::Point pointToSuperview(cg::Point point) const;
    cg::Point pointFromSuperview(cg::Point point) const;

    // The controller whose view this is, else the superview.
    Responder* nextResponder() const override;
    // The controller whose view this is, or nothing.
    ViewController* viewController() const { return m_viewController; }

    // Animations: every change made between begin and commit (or inside the block) takes effect at
    // once; the did-stop call or the completion runs on the main run loop after the delay and duration.
    static void beginAnimations(std::string name, void* context = nullptr);
    static void setAnimationDuration(ns::TimeInterval duration);
    static void setAnimationDelay(ns::TimeInterval delay);
    static void setAnimationCurve(AnimationCurve curve);
    static void setAnimationBeginsFromCurrentState(bool fromCurrentState);
    // The delegate is kept until the animation stops.
    static void setAnimationDelegate(ns::Id delegate);
    // animationDidStop:finished:context:
    using DidStop = std::function<void(const std::string& animationID, bool finished, void* context)>;
    static void setAnimationDidStopSelector(DidStop didStop);
    static void
        setAnimationWillStartSelector(std::function<void(const std::string& animationID, void* context)>);
    static void commitAnimations();
    static bool areAnimationsEnabled();
    static void setAnimationsEnabled(bool enabled);

    static void animateWithDuration(ns::TimeInterval duration, const std::function<void()>& animations,
                                    std::function<void(bool finished)> completion = {});
    static void animateWithDuration(ns::TimeInterval duration, ns::TimeInterval delay, unsigned options,
                                    const std::function<void()>& animations,
                                    std::function<void(bool finished)> completion);
    // Every animation committed so far, oldest first; for tests and the scripted device.
    static std::vector<AnimationRecord> recordedAnimations();
    static void clearRecordedAnimations();

    std::string className() const override { return "UIView"; }
    std::string description() const override;

protected:
    View();
    explicit View(cg::Rect frame);
    friend ns::Factory<View>;

private:
    friend class ViewController;

    void detachFromSuperview();
    cg::Point pointToRoot(cg::Point point, const View** root) const;
    cg::Point pointFromRoot(cg::Point point) const;
    void notifyMovedToWindow();

    cg::Point m_center;
    cg::Rect m_bounds;
    cg::AffineTransform m_transform;
    cg::Float m_alpha = 1;
    bool m_hidden = false;
    bool m_opaque = true;
    bool m_userInteractionEnabled = true;
    bool m_multipleTouchEnabled = false;
    bool m_exclusiveTouch = false;
    bool m_autoresizesSubviews = true;
    bool m_needsLayout = true;
    bool m_needsDisplay = true;
    unsigned m_autoresizingMask = AutoresizingNone;
    int m_tag = 0;
    ContentMode m_contentMode = ContentMode::ScaleToFill;
    ns::Ref<Color> m_backgroundColor;
    ns::Ref<Layer> m_layer;
    View* m_superview = nullptr;                // cleared when the superview goes
    ViewController* m_viewController = nullptr; // cleared when the controller goes
    std::vector<ns::Ref<View>> m_subviews;
};

} // namespace ui
