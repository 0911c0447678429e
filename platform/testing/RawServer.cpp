#include "testing/RawServer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

namespace testkit {

namespace {

// How long a read waits for the peer, in real milliseconds, and how often it looks whether to stop.
constexpr int ReadPatienceMs = 5000;
constexpr int PollStepMs = 50;

std::size_t announcedLength(const std::string& head)
{
    std::size_t at = 0;
    while ((at = head.find("\r\n", at)) != std::string::npos) {
        at += 2;
        if (strncasecmp(head.c_str() + at, "content-length:", 15) == 0)
            return std::strtoul(head.c_str() + at + 15, nullptr, 10);
    }
    return 0;
}

} // namespace

RawConnection::~RawConnection()
{
    if (m_fd >= 0) {
        ::shutdown(m_fd, SHUT_RDWR);
        ::close(m_fd);
    }
}

std::optional<std::string> RawConnection::readRequest()
{
    auto complete = [&]() -> std::optional<std::size_t> {
        std::size_t end = m_buffer.find("\r\n\r\n");
        if (end == std::string::npos)
            return std::nullopt;
        std::size_t total = end + 4 + announcedLength(m_buffer.substr(0, end + 2));
        if (m_buffer.size() < total)
            return std::nullopt;
        return total;
    };
    int waited = 0;
    while (!complete()) {
        if (m_fd < 0 || stopping() || waited >= ReadPatienceMs || m_buffer.size() > (1u << 20))
            return std::nullopt;
        pollfd ready{m_fd, POLLIN, 0};
        int got = ::poll(&ready, 1, PollStepMs);
        if (got == 0) {
            waited += PollStepMs;
            continue;
        }
        char bytes[16384];
        ssize_t read = got > 0 ? ::recv(m_fd, bytes, sizeof bytes, 0) : -1;
        if (read <= 0)
            return std::nullopt;
        m_buffer.append(bytes, static_cast<std::size_t>(read));
    }
    std::size_t total = *complete();
    std::string request = m_buffer.substr(0, total);
    m_buffer.erase(0, total);
    m_server.record(request);
    return request;
}

bool RawConnection::send(std::string_view bytes)
{
    while (!bytes.empty() && m_fd >= 0 && !stopping()) {
        ssize_t wrote = ::send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (wrote <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(wrote));
    }
    return bytes.empty();
}

bool RawConnection::sendZeros(std::size_t length)
{
    std::string zeros(1 << 16, '\0');
    for (std::size_t sent = 0; sent < length; sent += zeros.size())
        if (!send(std::string_view(zeros).substr(0, std::min(zeros.size(), length - sent))))
            return false;
    return true;
}

bool RawConnection::stopping() const
{
    return m_server.m_stopping.load();
}

void RawConnection::reset()
{
    if (m_fd < 0)
        return;
    linger hard{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(m_fd);
    m_fd = -1;
}

RawServer::~RawServer()
{
    stop();
}

bool RawServer::start(Script script)
{
    m_script = std::move(script);
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(m_listener, 16) != 0 ||
        ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return false;
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
    return true;
}

void RawServer::stop()
{
    m_stopping = true;
    if (m_thread.joinable())
        m_thread.join();
    for (auto& served : m_served)
        served.join();
    m_served.clear();
    if (m_listener >= 0)
        ::close(m_listener);
    m_listener = -1;
}

std::string RawServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

std::vector<std::string> RawServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

void RawServer::record(std::string request)
{
    std::lock_guard lock(m_mutex);
    m_requests.push_back(std::move(request));
}

void RawServer::serve()
{
    while (!m_stopping) {
        pollfd ready{m_listener, POLLIN, 0};
        if (::poll(&ready, 1, PollStepMs) <= 0)
            continue;
        int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        int index = m_connections++;
        m_served.emplace_back([this, fd, index] {
            RawConnection connection(*this, fd, index);
            m_script(connection);
        });
    }
}

std::string gzippedZeros(std::size_t megabytes)
{
    std::string out;
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY);
    std::vector<unsigned char> zeros(1 << 20, 0), chunk(1 << 16);
    for (std::size_t megabyte = 0; megabyte <= megabytes; ++megabyte) {
        bool last = megabyte == megabytes;
        stream.next_in = zeros.data();
        stream.avail_in = last ? 0 : static_cast<uInt>(zeros.size());
        do {
            stream.next_out = chunk.data();
            stream.avail_out = static_cast<uInt>(chunk.size());
            deflate(&stream, last ? Z_FINISH : Z_NO_FLUSH);
            out.append(reinterpret_cast<char*>(chunk.data()), chunk.size() - stream.avail_out);
        } while (stream.avail_out == 0);
    }
    deflateEnd(&stream);
    return out;
}

} // namespace testkit
