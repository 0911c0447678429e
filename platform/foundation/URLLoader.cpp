#include "foundation/URLLoader.h"

#include "foundation/RunLoop.h"
#include "foundation/URLConnection.h"
#include "foundation/URLConnectionTransfer.h"

#include <mutex>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace ns {

using SteadyClock = std::chrono::steady_clock;

namespace {

void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace

URLLoader::URLLoader(RunLoop& loop) : m_loop(loop)
{
    initialiseCurl();
    m_multi.reset(curl_multi_init());
    m_timerFd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (!m_multi || m_timerFd < 0)
        return;
    curl_multi_setopt(m_multi.get(), CURLMOPT_SOCKETFUNCTION, &URLLoader::socketCallback);
    curl_multi_setopt(m_multi.get(), CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(m_multi.get(), CURLMOPT_TIMERFUNCTION, &URLLoader::timerCallback);
    curl_multi_setopt(m_multi.get(), CURLMOPT_TIMERDATA, this);
    m_timerSource = m_loop.addSource(m_timerFd, POLLIN, [this](short) { onTimer(); });
}

URLLoader::~URLLoader()
{
    // Connections still running when their thread ends are dropped without a report.
    auto active = std::move(m_active);
    for (auto& connection : active) {
        if (connection->m_transfer && connection->m_transfer->easy)
            curl_multi_remove_handle(m_multi.get(), connection->m_transfer->easy.get());
        connection->m_state = URLConnection::State::Done;
        connection->m_transfer.reset();
        connection->m_delegate.reset();
        connection->m_keepAlive.reset();
    }
    for (auto& [socket, source] : m_sockets)
        m_loop.removeSource(source);
    if (m_timerSource)
        m_loop.removeSource(m_timerSource);
    m_multi.reset(); // in its place in the order: after the sources, before the timer
    if (m_timerFd >= 0)
        close(m_timerFd);
}

Ref<URLLoader> URLLoader::forCurrentThread()
{
    // The thread's loop is made first so that it is destroyed after the loader, which removes its sources.
    RunLoop& loop = RunLoop::current();
    thread_local Ref<URLLoader> loader;
    if (!loader)
        loader = std::make_shared<URLLoader>(loop);
    return loader;
}

bool URLLoader::add(const Ref<URLConnection>& connection, CURL* easy)
{
    if (!isValid() || curl_multi_add_handle(m_multi.get(), easy) != CURLM_OK)
        return false;
    m_active.push_back(connection);
    rearm();
    return true;
}

void URLLoader::remove(URLConnection* connection, CURL* easy)
{
    if (easy)
        curl_multi_remove_handle(m_multi.get(), easy);
    std::erase_if(m_active,
                  [connection](const Ref<URLConnection>& active) { return active.get() == connection; });
    rearm();
}

int URLLoader::socketCallback(CURL*, curl_socket_t socket, int what, void* context, void*)
{
    auto* self = static_cast<URLLoader*>(context);
    if (auto found = self->m_sockets.find(socket); found != self->m_sockets.end()) {
        self->m_loop.removeSource(found->second);
        self->m_sockets.erase(found);
    }
    if (what == CURL_POLL_REMOVE)
        return 0;
    short events = 0;
    if (what & CURL_POLL_IN)
        events |= POLLIN;
    if (what & CURL_POLL_OUT)
        events |= POLLOUT;
    self->m_sockets[socket] = self->m_loop.addSource(
        socket, events, [self, socket](short revents) { self->onSocket(socket, revents); });
    return 0;
}

int URLLoader::timerCallback(CURLM*, long timeoutMs, void* context)
{
    auto* self = static_cast<URLLoader*>(context);
    if (timeoutMs == 0) {
        // Due at once (a new transfer): a posted task, since arming the timer for now costs more than the
        // work it wakes for.
        self->m_curlDeadline.reset();
        if (!self->m_timeoutPosted) {
            self->m_timeoutPosted = true;
            self->m_loop.post([alive = std::weak_ptr<bool>(self->m_alive), self] {
                if (alive.expired())
                    return;
                self->m_timeoutPosted = false;
                int running = 0;
                curl_multi_socket_action(self->m_multi.get(), CURL_SOCKET_TIMEOUT, 0, &running);
                self->afterCurl();
            });
        }
        return 0;
    }
    if (timeoutMs < 0)
        self->m_curlDeadline.reset();
    else
        self->m_curlDeadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    self->rearm();
    return 0;
}

void URLLoader::rearm()
{
    if (m_timerFd < 0)
        return;
    std::optional<SteadyClock::time_point> next = m_curlDeadline;
    for (const auto& connection : m_active)
        if (connection->m_transfer && (!next || connection->m_transfer->deadline < *next))
            next = connection->m_transfer->deadline;
    // The timer only ever needs to go off no later than the earliest deadline: one that went off early
    // finds nothing due and arms again. A deadline later than the armed time (the idle deadline moves
    // with every chunk) then costs no system call.
    if (!next || (m_armed && *m_armed <= *next))
        return;
    m_armed = next;
    auto since = std::chrono::duration_cast<std::chrono::nanoseconds>(next->time_since_epoch()).count();
    if (since <= 0)
        since = 1; // zero would disarm
    itimerspec spec{};
    spec.it_value.tv_sec = static_cast<time_t>(since / 1000000000);
    spec.it_value.tv_nsec = static_cast<long>(since % 1000000000);
    timerfd_settime(m_timerFd, TFD_TIMER_ABSTIME, &spec, nullptr);
}

void URLLoader::onSocket(curl_socket_t socket, short revents)
{
    int flags = 0;
    if (revents & (POLLIN | POLLHUP))
        flags |= CURL_CSELECT_IN;
    if (revents & POLLOUT)
        flags |= CURL_CSELECT_OUT;
    if (revents & (POLLERR | POLLNVAL))
        flags |= CURL_CSELECT_ERR;
    int running = 0;
    curl_multi_socket_action(m_multi.get(), socket, flags, &running);
    afterCurl();
}

void URLLoader::onTimer()
{
    uint64_t expirations = 0;
    ssize_t got = read(m_timerFd, &expirations, sizeof expirations);
    (void)got;
    m_armed.reset(); // a one-shot timer that has gone off
    auto now = SteadyClock::now();
    if (m_curlDeadline && *m_curlDeadline <= now) {
        m_curlDeadline.reset();
        int running = 0;
        curl_multi_socket_action(m_multi.get(), CURL_SOCKET_TIMEOUT, 0, &running);
    }
    std::vector<Ref<URLConnection>> timedOut;
    for (const auto& connection : m_active)
        if (connection->m_transfer && connection->m_transfer->deadline <= now)
            timedOut.push_back(connection);
    afterCurl(std::move(timedOut));
}

void URLLoader::afterCurl(std::vector<Ref<URLConnection>> timedOut)
{
    // Reports are made here, outside libcurl's callbacks, so that a delegate may cancel or start loads.
    std::vector<std::pair<Ref<URLConnection>, CURLcode>> done;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &left)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        for (const auto& connection : m_active)
            if (connection->m_transfer && connection->m_transfer->easy.get() == message->easy_handle)
                done.emplace_back(connection, message->data.result);
    }
    for (auto& connection : timedOut) {
        bool alreadyDone = false;
        for (const auto& [finished, result] : done)
            alreadyDone = alreadyDone || finished == connection;
        if (!alreadyDone)
            done.emplace_back(connection, CURLE_OPERATION_TIMEDOUT);
    }
    auto active = m_active;
    for (const auto& connection : active)
        connection->deliverPending();
    for (const auto& [connection, result] : done)
        connection->complete(result);
    rearm();
}

} // namespace ns
