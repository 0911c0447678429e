#pragma once

#include "foundation/CHandle.h"
#include "foundation/Object.h"

#include <curl/curl.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace ns {

class RunLoop;
class URLConnection;

// The transfers of one run loop: a libcurl multi handle whose sockets are the loop's sources and whose
// timer, together with each transfer's idle deadline, is a timer descriptor on the loop. Real time, so the
// manual clock of tests never holds back a socket timeout.
class URLLoader
{
public:
    explicit URLLoader(RunLoop& loop);
    ~URLLoader();
    URLLoader(const URLLoader&) = delete;
    URLLoader& operator=(const URLLoader&) = delete;

    static Ref<URLLoader> forCurrentThread();

    RunLoop& loop() { return m_loop; }
    bool isValid() const { return m_multi && m_timerFd >= 0; }
    // No transfer under way.
    bool isIdle() const { return m_active.empty(); }
    bool add(const Ref<URLConnection>& connection, CURL* easy);
    void remove(URLConnection* connection, CURL* easy);
    void rearm();

private:
    static int socketCallback(CURL* easy, curl_socket_t socket, int what, void* loader, void* socketData);
    static int timerCallback(CURLM* multi, long timeoutMs, void* loader);
    void onSocket(curl_socket_t socket, short revents);
    void onTimer();
    void afterCurl(std::vector<Ref<URLConnection>> timedOut = {});

    RunLoop& m_loop;
    CHandle<CURLM, curl_multi_cleanup> m_multi;
    int m_timerFd = -1;
    int m_timerSource = 0;
    std::map<curl_socket_t, int> m_sockets;
    std::vector<Ref<URLConnection>> m_active;
    std::optional<std::chrono::steady_clock::time_point> m_curlDeadline;
    std::optional<std::chrono::steady_clock::time_point> m_armed; // when the timer goes off, if armed
    bool m_timeoutPosted = false;                                 // libcurl's due-at-once timeout
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true); // for what is posted to the loop
};

} // namespace ns
