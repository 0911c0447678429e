#include "board/TouchImageView.h"

#include "board/BoardSettings.h"
#include "board/TouchImageBadgeView.h"
#include "board/VelmoViewController.h"
#include "foundation/Log.h"
#include "foundation/RunLoop.h"
#include "foundation/Text.h"
#include "foundation/URL.h"
#include "foundation/URLConnection.h"
#include "foundation/URLRequest.h"
#include "uikit/Application.h"
#include "uikit/Color.h"
#include "uikit/Event.h"
#include "uikit/Font.h"
#include "uikit/Image.h"
#include "uikit/Label.h"
#include "uikit/StringDrawing.h"
#include "uikit/Touch.h"

#include <algorithm>
#include <functional>

namespace {

constexpr const char* LaunchSelector = "launchAction";
constexpr double TapDelay = 0.4;

bool isType(const std::optional<std::string>& type, const char* value)
{
    return type && *type == value;
}

// The address as the log may show it: without the user and password that may stand before the host.
std::string withoutCredentials(const std::string& address)
{
    std::size_t scheme = address.find("://");
    if (scheme == std::string::npos)
        return address;
    std::size_t start = scheme + 3;
    std::size_t end = address.find_first_of("/?#", start);
    std::string_view authority =
        std::string_view(address).substr(start, end == std::string::npos ? end : end - start);
    std::size_t at = authority.rfind('@');
    if (at == std::string_view::npos)
        return address;
    return address.substr(0, start) + address.substr(start + at + 1);
}

// The address as it may be logged: without credentials and without the query's values (a key, a token),
// the names kept to tell the requests apart.
std::string loggedAddress(const std::string& address)
{
    std::string shown = withoutCredentials(address);
    std::size_t query = shown.find('?');
    if (query == std::string::npos)
        return shown;
    // The fragment never leaves the device; it is not logged either.
    std::string_view pairs = std::string_view(shown).substr(query + 1);
    pairs = pairs.substr(0, pairs.find('#'));
    std::string kept = shown.substr(0, query + 1);
    for (std::size_t start = 0; start <= pairs.size();) {
        std::size_t end = std::min(pairs.find('&', start), pairs.size());
        std::string_view pair = pairs.substr(start, end - start);
        std::size_t equals = pair.find('=');
        kept.append(pair.substr(0, equals));
        if (equals != std::string_view::npos)
            kept += '=';
        if (end < pairs.size())
            kept += '&';
        start = end + 1;
    }
    return kept;
}

// What the log says of a reply: its size, never its bytes.
std::optional<std::string> loggedReply(const std::optional<std::string>& reply)
{
    if (!reply)
        return std::nullopt;
    return ns::format("%d bytes", static_cast<int>(reply->size()));
}

std::vector<const ui::Touch*> sortedByAddress(const ui::TouchSet& touches)
{
    std::vector<const ui::Touch*> sorted;
    for (auto& touch : touches)
        sorted.push_back(touch.get());
    // The same two fingers keep the same roles from one move to the next, whatever the set's order.
    std::sort(sorted.begin(), sorted.end(), std::less<const ui::Touch*>());
    return sorted;
}

void fade(ui::View& view, const char* name, cg::Float alpha)
{
    ui::View::beginAnimations(name);
    ui::View::setAnimationDuration(0.2);
    view.setAlpha(alpha);
    ui::View::commitAnimations();
}

} // namespace

TouchImageView::TouchImageView() : TouchImageView(cg::Rect{})
{
}

TouchImageView::TouchImageView(cg::Rect frame) : ui::ImageView(frame)
{
    setUserInteractionEnabled(true);
    setMultipleTouchEnabled(true);
    setExclusiveTouch(true);
    setClipsToBounds(false);
    m_children.reserve(2);
    m_labelView = ui::Label::create();
    m_labelView->setText(m_title);
    addSubview(m_labelView);
    m_badge = TouchImageBadgeView::create();
    addSubview(m_badge);
}

ns::Ref<TouchImageView> TouchImageView::create(cg::Rect frame)
{
    auto tile = ns::Factory<TouchImageView>::make(frame);
    // The badge points back at its tile, so it is joined once the tile is shared.
    tile->m_badge->setParent(tile);
    return tile;
}

void TouchImageView::setType(std::optional<std::string> type)
{
    if (type == m_type)
        return;
    m_type = std::move(type);
    setNeedsDisplay();
}

void TouchImageView::setTitle(std::optional<std::string> title)
{
    // A title is a name: one far longer is cut rather than laid out whole under the tile on every pass.
    if (title && title->size() > MaxTitleLength && ns::utf16Length(*title) > MaxTitleLength)
        title = ns::utf16Prefix(*title, MaxTitleLength);
    m_title = std::move(title);
}

void TouchImageView::setDefault()
{
    auto placeholder = ui::Image::imageNamed("contact-placeholder.png");
    cg::Size size = placeholder ? placeholder->size() : cg::makeSize(90, 90);
    cg::Rect current = frame();
    cg::Rect rect = cg::makeRect(current.origin.x, current.origin.y, 90,
                                 size.width > 0 ? 90 * size.height / size.width : 90);
    setImage(placeholder);
    setFrame(rect);
    setImageName(std::string("contact-placeholder.png"));
    setTitle(std::string());
    setBadgeString(std::string());
    setOrigSize(rect);
    setType(std::string("unknown"));
    setParameters(std::string());
    // Whether the tile moves is left as it is: the board file does not keep the flag, so a default tile
    // that could not move would move after the next start, and the board must behave the same on both.
    setId(0);
}

void TouchImageView::layoutSubviews()
{
    ui::ImageView::layoutSubviews();
    cg::Rect box = frame();
    cg::Float w = box.size.width;
    cg::Float h = box.size.height;
    if (m_badgeString && !m_badgeString->empty()) {
        cg::Size text = ui::sizeWithFont(*m_badgeString, *ui::Font::boldSystemFontOfSize(11));
        m_badge->setHidden(false);
        m_badge->setShowShadow(true);
        m_badge->setFrame(
            cg::makeRect(w - (text.width + 5 + 5), h - (text.height + 1 + 5), text.width + 5, text.height));
        m_badge->setBadgeString(m_badgeString);
        m_badge->setBadgeColor(m_badgeColor ? m_badgeColor
                                            : ui::Color::colorWithRed(1.0f, 0.8f, 10.0f / 255, 1.0f));
        m_badge->setNeedsDisplay();
    } else {
        m_badge->setHidden(true);
    }
    if (m_title && !m_title->empty()) {
        auto font = ui::Font::systemFontOfSize(10);
        m_labelView->setHidden(false);
        m_labelView->setText(m_title);
        m_labelView->setFont(font);
        m_labelView->setBackgroundColor(ui::Color::clearColor());
        cg::Size text = ui::sizeWithFont(*m_title, *font);
        m_labelView->setFrame(cg::makeRect((w - text.width) / 2, h, text.width, text.height));
        m_labelView->setNeedsDisplay();
    } else {
        m_labelView->setHidden(true);
    }
}

bool TouchImageView::inEditMode() const
{
    auto board = viewController();
    return board && board->editMode();
}

ui::TouchSet TouchImageView::touchesForThisTile(ui::Event* event, const ui::TouchSet& fallback) const
{
    if (!event)
        return fallback;
    ui::TouchSet touches = event->touchesForView(this);
    for (auto& touch : fallback)
        if (!touches.contains(touch))
            touches.add(touch);
    return touches;
}

void TouchImageView::touchesBegan(const ui::TouchSet& touches, ui::Event* event)
{
    if (!inEditMode()) {
        if (!isType(m_type, "background"))
            for (std::size_t i = 0; i < touches.count(); ++i)
                fade(*this, "Fade In", 0.5f);
        return;
    }
    if (!m_movable)
        return;
    if (auto board = viewController())
        board->setSelectedTouchImage(self<TouchImageView>());
    ui::TouchSet all = touchesForThisTile(event, touches);
    ui::TouchSet old = all.minus(touches);
    auto begin = [&](TouchImageView& tile) {
        if (!old.empty()) {
            tile.updateOriginalTransformForTouches(old);
            tile.cacheBeginPointForTouches(old);
        }
        tile.cacheBeginPointForTouches(touches);
    };
    begin(*this);
    for (auto& child : m_children)
        begin(*child);
}

void TouchImageView::touchesMoved(const ui::TouchSet& touches, ui::Event* event)
{
    if (!inEditMode() || !m_movable)
        return;
    ui::TouchSet all = touchesForThisTile(event, touches);
    setTransform(cg::concat(m_originalTransform, incrementalTransformWithTouches(all)));
    for (auto& child : m_children)
        child->setTransform(
            cg::concat(child->m_originalTransform, child->incrementalTransformWithTouches(all)));
}

void TouchImageView::touchesEnded(const ui::TouchSet& touches, ui::Event* event)
{
    endTouches(touches, event, false);
}

void TouchImageView::touchesCancelled(const ui::TouchSet& touches, ui::Event* event)
{
    endTouches(touches, event, true);
}

void TouchImageView::endTouches(const ui::TouchSet& touches, ui::Event* event, bool cancelled)
{
    bool background = isType(m_type, "background");
    if (!inEditMode()) {
        if (background)
            return;
        fade(*this, "Fade Out", 1.0f);
        // A touch the system took away is no tap: nothing may dial because a call came in.
        if (cancelled)
            return;
        auto& loop = ns::RunLoop::main();
        for (auto& touch : touches) {
            if (touch->tapCount() == 1) {
                // One pending action at most, however many fingers lift.
                loop.cancelPerforms(this, LaunchSelector);
                auto weak = weakSelf<TouchImageView>();
                loop.performAfterDelay(this, LaunchSelector, TapDelay, [weak] {
                    if (auto tile = weak.lock())
                        tile->launchAction();
                });
            } else if (touch->tapCount() == 2) {
                loop.cancelPerforms(this, LaunchSelector);
                EditButton();
                return;
            }
        }
        return;
    }

    ui::TouchSet all = touchesForThisTile(event, touches);
    ui::TouchSet remaining = all.minus(touches);
    auto settle = [&](TouchImageView& tile) {
        tile.updateOriginalTransformForTouches(all);
        tile.removeTouchesFromCache(touches);
        tile.cacheBeginPointForTouches(remaining);
    };
    // A gesture that did not finish, or a drag of the whole board, leaves everything where it was.
    auto undo = [&](TouchImageView& tile) {
        tile.setTransform(tile.m_originalTransform);
        tile.removeTouchesFromCache(touches);
        tile.cacheBeginPointForTouches(remaining);
    };
    bool doubleTap = !cancelled && std::any_of(touches.begin(), touches.end(),
                                               [](const ns::Ref<ui::Touch>& t) { return t->tapCount() > 1; });
    if (m_movable) {
        bool keep = !cancelled && !background;
        std::function<void(TouchImageView&)> finish =
            keep ? std::function<void(TouchImageView&)>(settle) : std::function<void(TouchImageView&)>(undo);
        finish(*this);
        for (auto& child : m_children)
            finish(*child);
    }
    // The editor opens only once the gesture's bookkeeping is done, so the tile stays where it is shown.
    if (doubleTap && !background)
        EditButton();
}

void TouchImageView::launchAction()
{
    ns::log("type: %@", m_type);
    std::string parameters = m_parameters.value_or("");
    if (isType(m_type, "web")) {
        ns::log("opening %@", m_parameters);
        ui::Application::sharedApplication().openURL(parameters);
    } else if (isType(m_type, "http")) {
        ns::log("opening %@",
                m_parameters ? std::optional<std::string>(loggedAddress(*m_parameters)) : std::nullopt);
        std::optional<std::string> reply;
        if (auto url = ns::URL::withString(parameters)) {
            auto request =
                ns::URLRequest::requestWithURL(url, ns::URLRequestCachePolicy::UseProtocolCachePolicy,
                                               BoardSettings::shared().httpTileTimeout);
            ns::Ref<ns::Error> error;
            auto data = ns::URLConnection::sendSynchronousRequest(request, nullptr, &error);
            bool ascii = data && std::all_of(data->bytes().begin(), data->bytes().end(),
                                             [](uint8_t byte) { return byte < 0x80; });
            if (ascii)
                reply = std::string(data->view());
        }
        ns::log("retour: %@", loggedReply(reply));
    } else if (isType(m_type, "tel")) {
        ns::log("opening %@", m_parameters);
        ui::Application::sharedApplication().openURL(parameters);
    } else if (isType(m_type, "sms")) {
        auto composer = mui::MessageComposeViewController::create();
        auto board = viewController();
        if (!composer || !board)
            return;
        composer->setMessageComposeDelegate(
            std::static_pointer_cast<mui::MessageComposeViewControllerDelegate>(self<TouchImageView>()));
        composer->setRecipients({ns::replaceAll(parameters, "sms:", "")});
        composer->setBody("");
        board->presentModalViewController(composer, true);
    } else if (isType(m_type, "unknown")) {
        EditButton();
    }
}

void TouchImageView::EditButton()
{
    auto board = viewController();
    if (!board)
        return;
    if (inEditMode())
        board->presentTileEditor(self<TouchImageView>());
    else
        board->presentPeopleList(self<TouchImageView>());
}

void TouchImageView::mailAction(const ns::Id&)
{
}

void TouchImageView::messageComposeViewController(mui::MessageComposeViewController&,
                                                  mui::MessageComposeResult result)
{
    if (result == mui::MessageComposeResult::Sent)
        ns::log("It's away!");
    if (auto board = viewController())
        board->dismissModalViewControllerAnimated(true);
}

cg::AffineTransform TouchImageView::incrementalTransformWithTouches(const ui::TouchSet& touches) const
{
    auto sorted = sortedByAddress(touches);
    if (sorted.empty())
        return cg::AffineTransform::identity();
    const ui::View* reference = superview();
    auto beginOf = [&](const ui::Touch* touch) {
        auto found = m_touchBeginPoints.find(touch);
        return found != m_touchBeginPoints.end() ? found->second : touch->locationInView(reference);
    };
    if (sorted.size() == 1) {
        cg::Point begin = beginOf(sorted[0]);
        cg::Point now = sorted[0]->locationInView(reference);
        return cg::AffineTransform::translation(now.x - begin.x, now.y - begin.y);
    }
    cg::Point c = center();
    cg::Point b1 = beginOf(sorted[0]), b2 = beginOf(sorted[1]);
    cg::Point n1 = sorted[0]->locationInView(reference), n2 = sorted[1]->locationInView(reference);
    double x1 = double(b1.x) - c.x, y1 = double(b1.y) - c.y;
    double x2 = double(b2.x) - c.x, y2 = double(b2.y) - c.y;
    double x3 = double(n1.x) - c.x, y3 = double(n1.y) - c.y;
    double x4 = double(n2.x) - c.x, y4 = double(n2.y) - c.y;
    double D = (y1 - y2) * (y1 - y2) + (x1 - x2) * (x1 - x2);
    if (D < 0.1)
        return cg::AffineTransform::translation(static_cast<float>(x3 - x1), static_cast<float>(y3 - y1));
    double A = (y1 - y2) * (y3 - y4) + (x1 - x2) * (x3 - x4);
    double B = (y1 - y2) * (x3 - x4) - (x1 - x2) * (y3 - y4);
    double Tx = (y1 * x2 - x1 * y2) * (y4 - y3) - (x1 * x2 + y1 * y2) * (x3 + x4) + x3 * (y2 * y2 + x2 * x2) +
                x4 * (y1 * y1 + x1 * x1);
    double Ty = (x1 * x2 + y1 * y2) * (-y4 - y3) + (y1 * x2 - x1 * y2) * (x3 - x4) +
                y3 * (y2 * y2 + x2 * x2) + y4 * (y1 * y1 + x1 * x1);
    return cg::AffineTransform{static_cast<float>(A / D),  static_cast<float>(-B / D),
                               static_cast<float>(B / D),  static_cast<float>(A / D),
                               static_cast<float>(Tx / D), static_cast<float>(Ty / D)};
}

void TouchImageView::updateOriginalTransformForTouches(const ui::TouchSet& touches)
{
    if (touches.empty())
        return;
    setTransform(cg::concat(m_originalTransform, incrementalTransformWithTouches(touches)));
    m_originalTransform = transform();
}

void TouchImageView::cacheBeginPointForTouches(const ui::TouchSet& touches)
{
    for (auto& touch : touches)
        m_touchBeginPoints[touch.get()] = touch->locationInView(superview());
}

void TouchImageView::removeTouchesFromCache(const ui::TouchSet& touches)
{
    for (auto& touch : touches)
        m_touchBeginPoints.erase(touch.get());
}
