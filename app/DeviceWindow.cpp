#include "DeviceWindow.h"

#include <cstdlib>
#include <ostream>

#include "foundation/CHandle.h"
#include "foundation/Clock.h"
#include "foundation/RunLoop.h"
#include "graphics/BitmapContext.h"
#include "graphics/Image.h"
#include "system/Reachability.h"
#include "testing/TouchDriver.h"
#include "uikit/Application.h"
#include "uikit/Font.h"
#include "uikit/Pasteboard.h"
#include "uikit/Render.h"
#include "uikit/Responder.h"
#include "uikit/ScreenTransition.h"
#include "uikit/StringDrawing.h"
#include "uikit/TextInput.h"
#include "uikit/Touch.h"

#include <SDL.h>
#include <algorithm>
#include <cairo.h>
#include <cctype>
#include <vector>

namespace velmo {

bool displayAvailable()
{
    auto named = [](const char* variable) {
        const char* value = std::getenv(variable);
        return value && *value;
    };
    return named("DISPLAY") || named("WAYLAND_DISPLAY");
}

namespace {

// Drawing faster than this only burns the desktop's time; the phone's own screen is no faster.
constexpr double FrameInterval = 1.0 / 60;
// The status bar's clock and anything else drawn from the time of day move without any work to see.
constexpr double RefreshInterval = 1.0;
// The longest the loop sleeps in the window system, so that replies on the network are taken promptly.
constexpr double IdleWait = 0.05;
// How long the device's own notice stays when the application hands an address to the device.
constexpr double HandOffShownFor = 1.5;

// What the device does with an address the application hands over, as the person sees the system take
// over: a call, a message, a mail, the store or a web page.
std::string handOffNotice(const std::string& url)
{
    std::string scheme = url.substr(0, url.find(':'));
    for (auto& c : scheme)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (scheme == "tel" || scheme == "telprompt")
        return "Calling " + url.substr(url.find(':') + 1);
    if (scheme == "sms")
        return "Messages: " + url.substr(url.find(':') + 1);
    if (scheme == "mailto")
        return "Mail: " + url.substr(url.find(':') + 1);
    if (scheme == "itms" || scheme == "itms-apps" || url.find("itunes.apple.com") != std::string::npos)
        return "App Store: " + url;
    if (scheme == "maps")
        return "Maps: " + url;
    return "Safari: " + url;
}

using Window = ns::CHandle<SDL_Window, SDL_DestroyWindow>;

// SDL's video system for as long as the window lives.
class VideoSession
{
public:
    VideoSession() : m_started(SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {}
    ~VideoSession()
    {
        if (m_started) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            SDL_Quit();
        }
    }
    VideoSession(const VideoSession&) = delete;
    VideoSession& operator=(const VideoSession&) = delete;
    bool started() const { return m_started; }

private:
    bool m_started;
};

double now()
{
    return ns::Clock::current().now();
}

} // namespace

struct DeviceWindow::State
{
    float m_scale;
    std::unique_ptr<VideoSession> m_video;
    Window m_window;
    ui::TouchDriver m_driver;
    std::vector<ns::Ref<ui::Touch>> m_fingers;
    bool m_dirty = true;
    double m_lastFrame = -1e300;
    std::string m_handOff;
    double m_handOffUntil = -1e300;

    // The device's notice over the application's screen, drawn by the device, not the application.
    void drawHandOff(cg::BitmapContext& context)
    {
        if (m_handOff.empty() || now() >= m_handOffUntil)
            return;
        cg::Rect screen = ui::Application::screenBounds();
        cg::Rect box = cg::makeRect(screen.origin.x + 20, screen.midY() - 40, screen.size.width - 40, 80);
        context.setRGBFillColor(0, 0, 0, 0.8f);
        context.fillRect(box);
        context.setRGBFillColor(1, 1, 1, 1);
        auto title = ui::Font::boldSystemFontOfSize(15);
        auto small = ui::Font::systemFontOfSize(12);
        ui::drawText(context, "Leaving Velmo", cg::inset(box, 10, 10), *title, ui::LineBreakMode::Clip,
                     ui::TextAlignment::Center);
        ui::drawText(context, m_handOff,
                     cg::makeRect(box.origin.x + 10, box.origin.y + 34, box.size.width - 20, 40), *small,
                     ui::LineBreakMode::CharacterWrap, ui::TextAlignment::Center);
    }

    // Something on screen changes by itself: a transition on its way, the device's notice.
    bool moving() const
    {
        return ui::screenTransitionRuns() || (!m_handOff.empty() && now() < m_handOffUntil + 0.1);
    }

    cg::Point point(int x, int y) const
    {
        cg::Rect screen = ui::Application::screenBounds();
        cg::Float px =
            std::clamp(cg::Float(x) / m_scale, screen.origin.x, screen.origin.x + screen.size.width);
        cg::Float py =
            std::clamp(cg::Float(y) / m_scale, screen.origin.y, screen.origin.y + screen.size.height);
        return cg::makePoint(px, py);
    }

    static cg::Point mirrored(cg::Point p)
    {
        cg::Rect screen = ui::Application::screenBounds();
        return cg::makePoint(2 * screen.midX() - p.x, 2 * screen.midY() - p.y);
    }

    void press(int x, int y)
    {
        if (!m_fingers.empty())
            return;
        cg::Point p = point(x, y);
        bool twoFingers = (SDL_GetModState() & (KMOD_SHIFT | KMOD_ALT)) != 0;
        if (twoFingers)
            m_fingers = m_driver.touchDown({p, mirrored(p)});
        else
            m_fingers = m_driver.touchDown({p});
    }

    void move(int x, int y)
    {
        if (m_fingers.empty())
            return;
        cg::Point p = point(x, y);
        std::vector<std::pair<ns::Ref<ui::Touch>, cg::Point>> moves{{m_fingers[0], p}};
        if (m_fingers.size() > 1)
            moves.emplace_back(m_fingers[1], mirrored(p));
        m_driver.touchMove(moves);
    }

    void release(int x, int y)
    {
        if (m_fingers.empty())
            return;
        move(x, y);
        auto lifted = std::move(m_fingers);
        m_fingers.clear();
        m_driver.touchUp(lifted);
    }

    void cancelFingers()
    {
        if (m_fingers.empty())
            return;
        m_fingers.clear();
        m_driver.cancelAll();
    }

    void key(const SDL_KeyboardEvent& event)
    {
        switch (event.keysym.sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            m_driver.type("\n");
            break;
        case SDLK_BACKSPACE:
            if (auto* input = dynamic_cast<ui::TextInput*>(ui::Responder::firstResponder())) {
                input->deleteBackward();
                m_driver.settle();
            }
            break;
        case SDLK_F2:
            switchNetwork(!net::Reachability::isNetworkOn());
            break;
        default:
            break;
        }
    }

    // The offline road of the sharers is driven from here: the title tells the person the state.
    void switchNetwork(bool on)
    {
        net::Reachability::setNetworkOn(on);
        SDL_SetWindowTitle(m_window.get(), on ? "Velmo" : "Velmo (network off)");
        m_driver.settle();
    }

    // False when the window was asked to close.
    bool handle(const SDL_Event& event)
    {
        switch (event.type) {
        case SDL_QUIT:
            return false;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_CLOSE)
                return false;
            // A finger cannot stay on a screen the person has left.
            if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST)
                cancelFingers();
            break;
        case SDL_MOUSEBUTTONDOWN:
            if (event.button.button == SDL_BUTTON_LEFT)
                press(event.button.x, event.button.y);
            break;
        case SDL_MOUSEMOTION:
            // A mouse passing over the screen without a button down touches nothing.
            if (m_fingers.empty() || !(event.motion.state & SDL_BUTTON_LMASK))
                return true;
            move(event.motion.x, event.motion.y);
            break;
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT)
                release(event.button.x, event.button.y);
            break;
        case SDL_TEXTINPUT:
            m_driver.type(event.text.text);
            break;
        case SDL_KEYDOWN:
            key(event.key);
            break;
        default:
            return true;
        }
        m_dirty = true;
        return true;
    }

    void draw()
    {
        m_lastFrame = now();
        m_dirty = false;
        auto bitmap = ui::renderScreenBitmap(m_scale);
        if (bitmap)
            drawHandOff(*bitmap);
        auto image = bitmap ? bitmap->makeImage() : nullptr;
        SDL_Surface* target = SDL_GetWindowSurface(m_window.get());
        if (!image || !target)
            return;
        cairo_surface_t* pixels = image->surface();
        cairo_surface_flush(pixels);
        if (cairo_image_surface_get_format(pixels) != CAIRO_FORMAT_ARGB32 &&
            cairo_image_surface_get_format(pixels) != CAIRO_FORMAT_RGB24)
            return;
        // Cairo keeps a pixel as one native 32-bit word, alpha or padding on top: SDL's ARGB8888.
        ns::CHandle<SDL_Surface, SDL_FreeSurface> source(SDL_CreateRGBSurfaceWithFormatFrom(
            cairo_image_surface_get_data(pixels), cairo_image_surface_get_width(pixels),
            cairo_image_surface_get_height(pixels), 32, cairo_image_surface_get_stride(pixels),
            SDL_PIXELFORMAT_ARGB8888));
        if (!source)
            return;
        // The screen is opaque: copy it, do not blend it over the last frame.
        SDL_SetSurfaceBlendMode(source.get(), SDL_BLENDMODE_NONE);
        SDL_BlitSurface(source.get(), nullptr, target, nullptr);
        SDL_UpdateWindowSurface(m_window.get());
    }

    // How long the loop may sleep in the window system before it has something to do.
    int waitMilliseconds() const
    {
        double t = now();
        double until = t + IdleWait;
        until = std::min(until,
                         m_dirty || moving() ? m_lastFrame + FrameInterval : m_lastFrame + RefreshInterval);
        until = std::min(until, ns::RunLoop::main().nextFireDate());
        return int(std::clamp((until - t) * 1000, 0.0, IdleWait * 1000));
    }
};

DeviceWindow::DeviceWindow(float scale) : m_state(std::make_unique<State>())
{
    m_state->m_scale = scale;
}

DeviceWindow::~DeviceWindow()
{
    ui::Pasteboard::setTextObserver({});
    ui::Application::sharedApplication().setOpenURLObserver({});
    // The window goes before the video system that made it.
    m_state->m_window.reset();
    m_state->m_video.reset();
}

bool DeviceWindow::open(std::ostream& err)
{
    SDL_SetMainReady();
    // The screen is drawn in memory already: a plain framebuffer, so that SDL neither brings in a GPU
    // renderer nor remakes the window for one once it is on the desktop.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // A click that gives the window the focus is a touch too, as on a phone there is nothing to focus.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    auto video = std::make_unique<VideoSession>();
    if (!video->started()) {
        err << "velmo: cannot open a window: " << SDL_GetError() << "\n";
        return false;
    }
    cg::Rect screen = ui::Application::screenBounds();
    int width = int(screen.size.width * m_state->m_scale);
    int height = int(screen.size.height * m_state->m_scale);
    Window window(SDL_CreateWindow("Velmo", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                                   SDL_WINDOW_SHOWN));
    if (!window) {
        err << "velmo: cannot open a window: " << SDL_GetError() << "\n";
        return false;
    }
    m_state->m_video = std::move(video);
    m_state->m_window = std::move(window);
    if (!SDL_GetWindowSurface(m_state->m_window.get())) {
        err << "velmo: cannot draw in the window: " << SDL_GetError() << "\n";
        return false;
    }
    SDL_StartTextInput();
    // Where the phone would leave the application, the window says so for a moment.
    State* state = m_state.get();
    ui::Application::sharedApplication().setOpenURLObserver([state](const std::string& url) {
        state->m_handOff = handOffNotice(url);
        state->m_handOffUntil = now() + HandOffShownFor;
        state->m_dirty = true;
    });
    // What the phone copies is on the desktop's clipboard too. SDL's video calls belong to the main thread:
    // a copy made elsewhere waits for the main run loop.
    ui::Pasteboard::setTextObserver([](const std::string& text) {
        ns::RunLoop::main().post([text] { SDL_SetClipboardText(text.c_str()); });
    });
    return true;
}

int DeviceWindow::run()
{
    State& s = *m_state;
    if (!s.m_window)
        return 1;
    auto& loop = ns::RunLoop::main();
    s.m_driver.settle();
    bool open = true;
    while (open) {
        SDL_Event event;
        int wait = s.waitMilliseconds();
        bool got = wait > 0 ? SDL_WaitEventTimeout(&event, wait) != 0 : SDL_PollEvent(&event) != 0;
        while (got && open) {
            open = s.handle(event);
            got = SDL_PollEvent(&event) != 0;
        }
        if (!open)
            break;
        if (loop.runOnce(0))
            s.m_dirty = true;
        double t = now();
        if (((s.m_dirty || s.moving()) && t - s.m_lastFrame >= FrameInterval) ||
            t - s.m_lastFrame >= RefreshInterval)
            s.draw();
    }
    s.cancelFingers();
    ui::Application::sharedApplication().terminate();
    loop.runDue();
    return 0;
}

} // namespace velmo
