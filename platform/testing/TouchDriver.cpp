#include "testing/TouchDriver.h"

#include "foundation/Clock.h"
#include "foundation/Format.h"
#include "foundation/RunLoop.h"
#include "foundation/Text.h"
#include "foundation/URLRequest.h"
#include "uikit/ActionSheet.h"
#include "uikit/AlertView.h"
#include "uikit/Application.h"
#include "uikit/BarButtonItem.h"
#include "uikit/BarButtonItemView.h"
#include "uikit/Button.h"
#include "uikit/Event.h"
#include "uikit/Image.h"
#include "uikit/Label.h"
#include "uikit/Switch.h"
#include "uikit/TableViewCell.h"
#include "uikit/TableViewIndex.h"
#include "uikit/TextField.h"
#include "uikit/TextInput.h"
#include "uikit/TextView.h"
#include "uikit/Touch.h"
#include "uikit/View.h"
#include "uikit/WebView.h"
#include "uikit/Window.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>

namespace ui {
namespace {

// The most keys a clear presses: a field whose delegate refuses deletions keeps its text, and the clear
// must end all the same.
constexpr std::size_t MaxClearKeys = 65536;

cg::Float distance(cg::Point a, cg::Point b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

cg::Point lerp(cg::Point a, cg::Point b, cg::Float t)
{
    return cg::makePoint(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t);
}

// The part of the view the screen shows, in window coordinates: clipped by every clipping ancestor.
cg::Rect visibleRect(const View& view)
{
    cg::Rect rect = view.convertRectToView(view.bounds(), nullptr);
    for (const View* v = view.superview(); v; v = v->superview())
        if (v->clipsToBounds())
            rect = cg::intersection(rect, v->convertRectToView(v->bounds(), nullptr));
    if (const View* root = &view; root) {
        while (root->superview())
            root = root->superview();
        rect = cg::intersection(rect, root->bounds());
    }
    return rect;
}

bool shows(const View& view)
{
    for (const View* v = &view; v; v = v->superview())
        if (v->isHidden() || v->alpha() <= 0.01f)
            return false;
    cg::Rect rect = visibleRect(view);
    return !rect.isEmpty() && rect.size.width > 0 && rect.size.height > 0;
}

std::string imageName(const ns::Ref<Image>& image)
{
    return image ? image->name() : std::string();
}

bool buttonShows(const Button& button, const std::string& text)
{
    if (auto* itemView = dynamic_cast<const BarButtonItemView*>(&button)) {
        auto item = itemView->item();
        return item && (item->displayTitle() == text || imageName(item->image()) == text);
    }
    auto title = button.currentTitle();
    if (title && !title->empty())
        return *title == text;
    return imageName(button.currentImage()) == text || imageName(button.currentBackgroundImage()) == text;
}

ns::Ref<View> switchBeside(const View& label)
{
    const View* scope = label.superview();
    for (int level = 0; scope && level < 2; ++level, scope = scope->superview()) {
        ns::Ref<View> best;
        cg::Float bestDistance = 0;
        cg::Rect labelRect = label.convertRectToView(label.bounds(), nullptr);
        for (const auto& sibling : scope->subviews()) {
            if (!dynamic_cast<Switch*>(sibling.get()) || !shows(*sibling))
                continue;
            cg::Rect r = sibling->convertRectToView(sibling->bounds(), nullptr);
            cg::Float d = distance(cg::makePoint(r.midX(), r.midY()),
                                   cg::makePoint(labelRect.midX(), labelRect.midY()));
            if (!best || d < bestDistance) {
                best = sibling;
                bestDistance = d;
            }
        }
        // A cell's switch is its accessory: one level up from the content view.
        if (best)
            return best;
    }
    return nullptr;
}

ns::Ref<View> search(const ns::Ref<View>& view, const std::string& text)
{
    if (view->isHidden() || view->alpha() <= 0.01f)
        return nullptr;
    const auto& subviews = view->subviews();
    for (auto it = subviews.rbegin(); it != subviews.rend(); ++it)
        if (auto found = search(*it, text))
            return found;
    if (!shows(*view))
        return nullptr;
    if (auto* button = dynamic_cast<Button*>(view.get()); button && buttonShows(*button, text))
        return view;
    if (auto* cell = dynamic_cast<TableViewCell*>(view.get())) {
        if ((cell->textLabel()->text() == text) ||
            (cell->detailTextLabel() && cell->detailTextLabel()->text() == text))
            return view;
    }
    if (auto* label = dynamic_cast<Label*>(view.get()); label && label->text() == text)
        if (auto toggle = switchBeside(*label))
            return toggle;
    return nullptr;
}

template <class T> T* frontmostOverlay(std::vector<ns::Ref<Window>> windows)
{
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        for (auto sub = (*it)->subviews().rbegin(); sub != (*it)->subviews().rend(); ++sub)
            if (auto* found = dynamic_cast<T*>(sub->get()); found && found->isVisible())
                return found;
    return nullptr;
}

std::string number(cg::Float value)
{
    return ns::format("%g", double(value));
}

std::string shownText(const View& view)
{
    if (auto* itemView = dynamic_cast<const BarButtonItemView*>(&view)) {
        auto item = itemView->item();
        return item ? item->displayTitle() : std::string();
    }
    if (auto* button = dynamic_cast<const Button*>(&view)) {
        auto title = button->currentTitle();
        if (title && !title->empty())
            return *title;
        std::string name = imageName(button->currentImage());
        return name.empty() ? std::string() : "[" + name + "]";
    }
    if (auto* label = dynamic_cast<const Label*>(&view))
        return label->text().value_or("");
    if (auto* alert = dynamic_cast<const AlertView*>(&view))
        return alert->title().value_or("");
    if (auto* sheet = dynamic_cast<const ActionSheet*>(&view))
        return sheet->title().value_or("");
    if (auto* toggle = dynamic_cast<const Switch*>(&view))
        return toggle->isOn() ? "on" : "off";
    if (auto* field = dynamic_cast<const TextField*>(&view)) {
        if (!field->text().empty())
            return field->isSecureTextEntry() ? std::string(ns::utf16Length(field->text()), '*')
                                              : field->text();
        return field->placeholder() ? "[" + *field->placeholder() + "]" : std::string();
    }
    if (auto* text = dynamic_cast<const TextView*>(&view))
        return text->text();
    if (auto* index = dynamic_cast<const TableViewIndex*>(&view)) {
        std::string titles;
        for (const auto& title : index->titles())
            titles += (titles.empty() ? "" : " ") + title;
        return titles;
    }
    if (auto* web = dynamic_cast<const WebView*>(&view))
        return web->request() ? web->request()->URLString() : std::string();
    return {};
}

bool anyShows(const View& view, const std::string& text)
{
    if (view.isHidden() || view.alpha() <= 0.01f)
        return false;
    if (shownText(view) == text && shows(view))
        return true;
    for (const auto& subview : view.subviews())
        if (anyShows(*subview, text))
            return true;
    return false;
}

} // namespace

TouchDriver::TouchDriver() = default;

ns::TimeInterval TouchDriver::now() const
{
    return ns::Clock::current().now();
}

void TouchDriver::deliver(const std::vector<ns::Ref<Touch>>& changed)
{
    for (auto& touch : m_active)
        if (std::find(changed.begin(), changed.end(), touch) == changed.end())
            touch->setPhase(TouchPhase::Stationary);
    auto event = Event::create();
    TouchSet all;
    for (auto& touch : m_active)
        if (touch->view())
            all.add(touch);
    event->setTouches(all);
    event->setTimestamp(now());
    Application::sharedApplication().sendEvent(*event);
    settle();
}

std::vector<ns::Ref<Touch>> TouchDriver::touchDown(const std::vector<cg::Point>& points)
{
    std::vector<ns::Ref<Touch>> touches;
    auto windows = Application::sharedApplication().windows();
    auto probe = Event::create();
    for (cg::Point p : points) {
        auto touch = Touch::create();
        touch->setPhase(TouchPhase::Began);
        touch->setTimestamp(now());
        touch->setLocation(p);
        int count = 1;
        if (m_lastTapEnd && now() - *m_lastTapEnd <= MultiTapInterval &&
            distance(p, m_lastTapPoint) <= MultiTapDistance)
            count = m_lastTapCount + 1;
        touch->setTapCount(count);
        for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
            if (auto hit = (*it)->hitTest((*it)->convertPointFromView(p, nullptr), probe.get())) {
                // A view that takes one finger gets only the first.
                bool busy = !hit->isMultipleTouchEnabled() &&
                            std::any_of(m_active.begin(), m_active.end(), [&](const ns::Ref<Touch>& t) {
                                return t->view() == hit && t->phase() != TouchPhase::Ended;
                            });
                if (!busy) {
                    touch->setWindow(*it);
                    touch->setView(hit);
                }
                break;
            }
        }
        m_active.push_back(touch);
        m_beganAt.push_back(p);
        touches.push_back(touch);
    }
    deliver(touches);
    return touches;
}

void TouchDriver::touchMove(const std::vector<std::pair<ns::Ref<Touch>, cg::Point>>& moves)
{
    std::vector<ns::Ref<Touch>> changed;
    for (auto& [touch, p] : moves) {
        if (std::find(m_active.begin(), m_active.end(), touch) == m_active.end())
            continue;
        touch->setPhase(TouchPhase::Moved);
        touch->setTimestamp(now());
        touch->moveTo(p);
        changed.push_back(touch);
    }
    if (!changed.empty())
        deliver(changed);
}

void TouchDriver::touchUp(const std::vector<ns::Ref<Touch>>& touches)
{
    std::vector<ns::Ref<Touch>> changed;
    for (auto& touch : touches) {
        auto found = std::find(m_active.begin(), m_active.end(), touch);
        if (found == m_active.end())
            continue;
        cg::Point start = m_beganAt[std::size_t(found - m_active.begin())];
        touch->setPhase(TouchPhase::Ended);
        touch->setTimestamp(now());
        touch->moveTo(touch->windowLocation());
        if (distance(start, touch->windowLocation()) <= MultiTapDistance) {
            m_lastTapEnd = now();
            m_lastTapPoint = touch->windowLocation();
            m_lastTapCount = touch->tapCount();
        } else {
            m_lastTapEnd.reset();
        }
        changed.push_back(touch);
    }
    if (changed.empty())
        return;
    deliver(changed);
    for (auto& touch : changed) {
        auto found = std::find(m_active.begin(), m_active.end(), touch);
        if (found == m_active.end())
            continue;
        m_beganAt.erase(m_beganAt.begin() + (found - m_active.begin()));
        m_active.erase(found);
    }
}

void TouchDriver::cancelAll()
{
    if (m_active.empty())
        return;
    for (auto& touch : m_active) {
        touch->setPhase(TouchPhase::Cancelled);
        touch->setTimestamp(now());
    }
    auto changed = m_active;
    deliver(changed);
    m_active.clear();
    m_beganAt.clear();
    m_lastTapEnd.reset();
}

void TouchDriver::tap(cg::Point point)
{
    auto touches = touchDown({point});
    touchUp(touches);
}

void TouchDriver::doubleTap(cg::Point point)
{
    tap(point);
    advance(std::min<ns::TimeInterval>(0.1, MultiTapInterval / 2));
    tap(point);
}

void TouchDriver::pressAndHold(cg::Point point, ns::TimeInterval seconds)
{
    auto touches = touchDown({point});
    advance(seconds);
    touchUp(touches);
}

void TouchDriver::drag(cg::Point from, cg::Point to, int steps)
{
    steps = std::clamp(steps, 1, 1000);
    auto touches = touchDown({from});
    for (int i = 1; i <= steps; ++i) {
        advance(m_stepInterval);
        touchMove({{touches[0], lerp(from, to, cg::Float(i) / cg::Float(steps))}});
    }
    touchUp(touches);
}

void TouchDriver::pinch(cg::Point c, cg::Float fromDistance, cg::Float toDistance, int steps)
{
    steps = std::clamp(steps, 1, 1000);
    auto at = [&](cg::Float d) {
        return std::pair{cg::makePoint(c.x - d / 2, c.y), cg::makePoint(c.x + d / 2, c.y)};
    };
    auto [a, b] = at(fromDistance);
    auto touches = touchDown({a, b});
    for (int i = 1; i <= steps; ++i) {
        advance(m_stepInterval);
        auto [p, q] = at(fromDistance + (toDistance - fromDistance) * cg::Float(i) / cg::Float(steps));
        touchMove({{touches[0], p}, {touches[1], q}});
    }
    touchUp(touches);
}

void TouchDriver::rotate(cg::Point c, cg::Float degrees, cg::Float radius, int steps)
{
    steps = std::clamp(steps, 1, 1000);
    auto at = [&](cg::Float radians) {
        cg::Float dx = radius * std::cos(radians), dy = radius * std::sin(radians);
        return std::pair{cg::makePoint(c.x - dx, c.y - dy), cg::makePoint(c.x + dx, c.y + dy)};
    };
    auto [a, b] = at(0);
    auto touches = touchDown({a, b});
    cg::Float total = degrees * std::numbers::pi_v<cg::Float> / 180;
    for (int i = 1; i <= steps; ++i) {
        advance(m_stepInterval);
        auto [p, q] = at(total * cg::Float(i) / cg::Float(steps));
        touchMove({{touches[0], p}, {touches[1], q}});
    }
    touchUp(touches);
}

ns::Ref<View> TouchDriver::findPressable(const std::string& text) const
{
    auto windows = Application::sharedApplication().windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        (*it)->layoutIfNeeded();
        if (auto found = search(*it, text))
            return found;
    }
    return nullptr;
}

bool TouchDriver::showsText(const std::string& text) const
{
    for (auto& window : Application::sharedApplication().windows()) {
        window->layoutIfNeeded();
        if (anyShows(*window, text))
            return true;
    }
    return false;
}

bool TouchDriver::press(const std::string& text)
{
    auto view = findPressable(text);
    if (!view)
        return false;
    cg::Rect rect = visibleRect(*view);
    tap(cg::makePoint(rect.midX(), rect.midY()));
    return true;
}

bool TouchDriver::answerAlert(const std::string& title)
{
    auto windows = Application::sharedApplication().windows();
    if (auto* alert = frontmostOverlay<AlertView>(windows)) {
        for (long i = 0; i < alert->numberOfButtons(); ++i)
            if (alert->buttonTitleAtIndex(i) == title)
                return answerAlertAtIndex(i);
        return false;
    }
    if (auto* sheet = frontmostOverlay<ActionSheet>(windows)) {
        for (long i = 0; i < sheet->numberOfButtons(); ++i)
            if (sheet->buttonTitleAtIndex(i) == title)
                return answerAlertAtIndex(i);
    }
    return false;
}

bool TouchDriver::answerAlertAtIndex(long index)
{
    auto windows = Application::sharedApplication().windows();
    ns::Ref<Button> button;
    if (auto* alert = frontmostOverlay<AlertView>(windows))
        button = alert->buttonViewAtIndex(index);
    else if (auto* sheet = frontmostOverlay<ActionSheet>(windows))
        button = sheet->buttonViewAtIndex(index);
    if (!button)
        return false;
    cg::Rect rect = visibleRect(*button);
    tap(cg::makePoint(rect.midX(), rect.midY()));
    return true;
}

bool TouchDriver::type(const std::string& text)
{
    auto* input = dynamic_cast<TextInput*>(Responder::firstResponder());
    if (!input)
        return false;
    std::size_t start = 0;
    while (true) {
        std::size_t newline = text.find('\n', start);
        std::string part =
            text.substr(start, newline == std::string::npos ? std::string::npos : newline - start);
        // One key at a time, as a keyboard types: each character is its own insertion.
        for (std::size_t i = 0; i < part.size();) {
            std::size_t length = 1;
            while (i + length < part.size() && (static_cast<unsigned char>(part[i + length]) & 0xC0) == 0x80)
                ++length;
            if (part[i] == '\b')
                input->deleteBackward();
            else
                input->insertText(part.substr(i, length));
            i += length;
            input = dynamic_cast<TextInput*>(Responder::firstResponder());
            if (!input)
                return true;
        }
        if (newline == std::string::npos)
            break;
        input->returnKey();
        // Return may end editing: what follows goes to whatever takes text next.
        input = dynamic_cast<TextInput*>(Responder::firstResponder());
        start = newline + 1;
        if (!input)
            break;
    }
    settle();
    return true;
}

bool TouchDriver::clearText()
{
    auto* input = dynamic_cast<TextInput*>(Responder::firstResponder());
    if (!input)
        return false;
    // Each key deletes a character; stop when the text is gone, editing has ended, or the field refuses.
    auto* responder = Responder::firstResponder();
    for (std::size_t keys = 0; keys < MaxClearKeys && input->hasText(); ++keys) {
        input->deleteBackward();
        if (Responder::firstResponder() != responder)
            break;
    }
    settle();
    return true;
}

void TouchDriver::advance(ns::TimeInterval seconds)
{
    if (seconds < 0)
        seconds = 0;
    if (auto* manual = dynamic_cast<ns::ManualClock*>(&ns::Clock::current()))
        manual->advance(seconds);
    else
        ns::RunLoop::main().runUntil([] { return false; }, seconds);
    settle();
}

void TouchDriver::settle()
{
    ns::RunLoop::main().runDue();
    for (auto& window : Application::sharedApplication().windows())
        window->layoutIfNeeded();
}

std::string dumpViewTree(const View& view, int depth)
{
    std::ostringstream out;
    cg::Rect f = view.frame();
    out << std::string(std::size_t(std::max(depth, 0)) * 2, ' ') << view.className() << " ("
        << number(f.origin.x) << " " << number(f.origin.y) << "; " << number(f.size.width) << " "
        << number(f.size.height) << ")";
    std::string text = shownText(view);
    if (!text.empty())
        out << " \"" << text << "\"";
    // What a label draws of its text: a font shrunk to fit, a text cut short.
    if (auto* label = dynamic_cast<const Label*>(&view); label && !text.empty()) {
        auto font = label->fontForWidth(label->bounds().size.width);
        if (font->pointSize() != label->font()->pointSize())
            out << " font=" << number(font->pointSize());
        if (label->isTruncated())
            out << " truncated";
    }
    if (view.isHidden())
        out << " hidden";
    if (view.alpha() < 1)
        out << " alpha=" << number(view.alpha());
    out << "\n";
    if (depth < 64)
        for (const auto& subview : view.subviews())
            out << dumpViewTree(*subview, depth + 1);
    return out.str();
}

std::string dumpScreen()
{
    std::string out;
    for (auto& window : Application::sharedApplication().windows()) {
        window->layoutIfNeeded();
        out += dumpViewTree(*window);
    }
    return out;
}

} // namespace ui
