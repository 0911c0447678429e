#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testkit {

class RawServer;

// One accepted connection of a RawServer, handed to the server's script on the server's thread.
class RawConnection
{
public:
    RawConnection(RawServer& server, int fd, int index) : m_server(server), m_fd(fd), m_index(index) {}
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // The next request (head and a body of its Content-Length), or nothing when the peer closed, went
    // silent for a few seconds or the server is stopping.
    std::optional<std::string> readRequest();
    // Writes all of it; false once the peer is gone.
    bool send(std::string_view bytes);
    // Writes `length` zero bytes, stopping early once the peer is gone.
    bool sendZeros(std::size_t length);
    // Ends the connection with a reset rather than an orderly close.
    void reset();
    // The connection's place among those the server accepted, from 0.
    int index() const { return m_index; }
    bool stopping() const;

private:
    RawServer& m_server;
    int m_fd;
    int m_index;
    std::string m_buffer;
};

// A TCP server on 127.0.0.1 at a free port that answers whatever bytes its script writes, for tests of
// servers that misbehave below HTTP: trickles, resets, bombs, connections closed unanswered. Each
// connection is served on a thread of its own; every request read is recorded.
class RawServer
{
public:
    using Script = std::function<void(RawConnection&)>;

    RawServer() = default;
    ~RawServer();
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    bool start(Script script);
    void stop();
    int port() const { return m_port; }
    std::string url(const std::string& path) const;
    // Every request read, in order.
    std::vector<std::string> requests() const;
    int connectionCount() const { return m_connections.load(); }

private:
    friend class RawConnection;
    void serve();
    void record(std::string request);

    int m_listener = -1;
    int m_port = 0;
    Script m_script;
    std::thread m_thread;
    std::vector<std::thread> m_served;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_connections{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
};

// `megabytes` MiB of zeros as one gzip member: a bomb about a thousandth of its size on the wire.
std::string gzippedZeros(std::size_t megabytes);

} // namespace testkit
