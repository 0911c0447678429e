#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class ContentReader;
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace testkit {

// One part of a multipart/form-data body as the server read it: the server parses such bodies itself, so
// their raw bytes are not kept.
struct RecordedPart
{
    std::string name;        // "" when the part's disposition has none
    std::string contentType; // "" when the part has none
    std::string content;
};

// One request as the server received it.
struct RecordedRequest
{
    std::string method;
    std::string path;                                         // without the query
    std::string query;                                        // raw, without "?"
    std::string target;                                       // path and query as sent
    std::vector<std::pair<std::string, std::string>> headers; // in the order received
    std::string body;                                         // raw bytes; empty for a multipart body
    std::vector<RecordedPart> parts;                          // the parts of a multipart body

    // The first header of that name, looked up without regard to case.
    std::optional<std::string> header(std::string_view name) const;
};

// What a route answers.
struct ScriptedReply
{
    int status = 200;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::string contentType = "text/plain";
    // Sent chunk by chunk with chunked transfer coding when not empty (the body is then ignored).
    std::vector<std::string> chunks;
    double delay = 0;   // real seconds before the reply
    bool stall = false; // never replies; released when the server stops

    static ScriptedReply text(int status, std::string body);
    static ScriptedReply redirect(std::string location, int status = 302);
    static ScriptedReply stalled();
    ScriptedReply& header(std::string name, std::string value);
};

// An HTTP server on 127.0.0.1 at a free port, on its own threads, for tests: each route answers what the
// test scripted, and every request is recorded. Started and stopped by the test (the destructor stops).
class LoopbackServer
{
public:
    using Responder = std::function<ScriptedReply(const RecordedRequest&)>;

    LoopbackServer();
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // Any method on `path` (without query) answers `reply`; a later script for the path replaces it.
    void route(const std::string& path, ScriptedReply reply);
    // The reply is computed from the request.
    void route(const std::string& path, Responder responder);
    // Only `method` on `path`; other methods fall back to the path's any-method script.
    void route(const std::string& method, const std::string& path, ScriptedReply reply);

    // Binds a free port and serves; false when nothing could be bound.
    bool start();
    // The same over TLS with the given certificate and key files (PEM).
    bool startTLS(const std::string& certificatePath, const std::string& keyPath);
    void stop();
    bool isRunning() const;

    int port() const { return m_port; }
    std::string baseURL() const; // "http://127.0.0.1:PORT", or https
    std::string url(const std::string& pathAndQuery) const { return baseURL() + pathAndQuery; }

    std::vector<RecordedRequest> requests() const;
    std::optional<RecordedRequest> lastRequest() const;
    std::size_t requestCount() const;
    void clearRequests();

private:
    ScriptedReply answer(const RecordedRequest& request);
    // Records the request (reading its body through the reader when there is one) and sends the reply.
    void respond(const httplib::Request& in, httplib::Response& out, const httplib::ContentReader* reader);
    bool serve(std::unique_ptr<httplib::Server> server);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    bool m_tls = false;
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_stopping = false;
    std::map<std::string, Responder> m_anyMethod;
    std::map<std::pair<std::string, std::string>, Responder> m_byMethod;
    std::vector<RecordedRequest> m_requests;
};

} // namespace testkit
