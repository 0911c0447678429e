// The HTTP response path: the input is what a server sends (status line, fields, a plain, chunked or
// compressed body), read once by the head reader alone and once by a real connection from a socket on the
// loopback, which receives it in pieces: the first byte chooses their size, so that every boundary (inside
// the status line, a field, a chunk's size, a compressed block) is met.
#include "foundation/Error.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/URL.h"
#include "foundation/URLConnection.h"
#include "foundation/URLResponse.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cstddef>
#include <cstdint>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

int listener(int* port)
{
    static int fd = -1;
    static int bound = 0;
    if (fd < 0) {
        fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0)
            __builtin_trap();
        socklen_t length = sizeof address;
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        bound = ntohs(address.sin_port);
    }
    *port = bound;
    return fd;
}

// Answers one connection with the reply in pieces of `piece` bytes, each pushed out on its own (the first
// few with a pause, so that they arrive apart), then closes it.
void serveOnce(int fd, const std::string& reply, std::size_t piece)
{
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, 2000) <= 0)
        return;
    int client = accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0)
        return;
    // The request head, so that the reply is not sent into a half-read request.
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        pollfd in{client, POLLIN, 0};
        if (poll(&in, 1, 2000) <= 0)
            break;
        ssize_t got = recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, static_cast<std::size_t>(got));
    }
    int noDelay = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    std::size_t sent = 0;
    for (int pieces = 0; sent < reply.size(); ++pieces) {
        std::size_t length = pieces < 64 ? std::min(piece, reply.size() - sent) : reply.size() - sent;
        ssize_t wrote = send(client, reply.data() + sent, length, MSG_NOSIGNAL);
        if (wrote <= 0)
            break;
        sent += static_cast<std::size_t>(wrote);
        if (pieces < 16)
            poll(nullptr, 0, 1);
    }
    shutdown(client, SHUT_RDWR);
    close(client);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::size_t piece = 1 + data[0] % 64;
    std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);

    ns::HTTPResponseHeadParser head;
    if (head.parse(input) == ns::HTTPResponseHeadParser::State::Complete) {
        ns::HTTPURLResponse response(ns::URL::withString("http://127.0.0.1/"), head.statusCode(),
                                     head.fields());
        (void)response.valueForHTTPHeaderField("content-type");
        (void)response.expectedContentLength();
    }

    int port = 0;
    int fd = listener(&port);
    std::thread server(serveOnce, fd, input, piece);
    auto request = ns::MutableURLRequest::requestWithURL(
        ns::URL::withString("http://127.0.0.1:" + std::to_string(port) + "/fuzz"),
        ns::URLRequestCachePolicy::ReloadIgnoringLocalCacheData, 2);
    ns::Ref<ns::URLResponse> response;
    ns::Ref<ns::Error> error;
    auto body = ns::URLConnection::sendSynchronousRequest(request, &response, &error);
    server.join();
    if (!body && !error)
        __builtin_trap(); // a failure always says why
    if (body && body->length() > request->maximumResponseLength())
        __builtin_trap(); // no reply grows past the bound
    ns::HTTPCookieStorage::shared().deleteAllCookies();
    return 0;
}
