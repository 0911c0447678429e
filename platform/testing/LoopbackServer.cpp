#include "testing/LoopbackServer.h"

#include <httplib.h>

#include <chrono>
#include <strings.h>

namespace testkit {

std::optional<std::string> RecordedRequest::header(std::string_view name) const
{
    for (const auto& [key, value] : headers)
        if (key.size() == name.size() && strncasecmp(key.data(), name.data(), name.size()) == 0)
            return value;
    return std::nullopt;
}

ScriptedReply ScriptedReply::text(int status, std::string body)
{
    ScriptedReply reply;
    reply.status = status;
    reply.body = std::move(body);
    return reply;
}

ScriptedReply ScriptedReply::redirect(std::string location, int status)
{
    ScriptedReply reply;
    reply.status = status;
    reply.headers.emplace_back("Location", std::move(location));
    return reply;
}

ScriptedReply ScriptedReply::stalled()
{
    ScriptedReply reply;
    reply.stall = true;
    return reply;
}

ScriptedReply& ScriptedReply::header(std::string name, std::string value)
{
    headers.emplace_back(std::move(name), std::move(value));
    return *this;
}

LoopbackServer::LoopbackServer() = default;

LoopbackServer::~LoopbackServer()
{
    stop();
}

void LoopbackServer::route(const std::string& path, ScriptedReply reply)
{
    route(path, Responder([reply](const RecordedRequest&) { return reply; }));
}

void LoopbackServer::route(const std::string& path, Responder responder)
{
    std::lock_guard lock(m_mutex);
    m_anyMethod[path] = std::move(responder);
}

void LoopbackServer::route(const std::string& method, const std::string& path, ScriptedReply reply)
{
    std::lock_guard lock(m_mutex);
    m_byMethod[{method, path}] = [reply](const RecordedRequest&) { return reply; };
}

ScriptedReply LoopbackServer::answer(const RecordedRequest& request)
{
    Responder responder;
    {
        std::lock_guard lock(m_mutex);
        m_requests.push_back(request);
        if (auto found = m_byMethod.find({request.method, request.path}); found != m_byMethod.end())
            responder = found->second;
        else if (auto any = m_anyMethod.find(request.path); any != m_anyMethod.end())
            responder = any->second;
    }
    if (!responder)
        return ScriptedReply::text(404, "no route");
    return responder(request);
}

bool LoopbackServer::start()
{
    if (m_server)
        return true;
    m_tls = false;
    return serve(std::make_unique<httplib::Server>());
}

bool LoopbackServer::startTLS(const std::string& certificatePath, const std::string& keyPath)
{
    if (m_server)
        return true;
    auto server = std::make_unique<httplib::SSLServer>(certificatePath.c_str(), keyPath.c_str());
    if (!server->is_valid())
        return false;
    m_tls = true;
    return serve(std::move(server));
}

void LoopbackServer::respond(const httplib::Request& in, httplib::Response& out,
                             const httplib::ContentReader* reader)
{
    RecordedRequest request;
    request.method = in.method;
    request.target = in.target;
    auto mark = in.target.find('?');
    request.path = in.target.substr(0, mark);
    if (mark != std::string::npos)
        request.query = in.target.substr(mark + 1);
    for (const auto& [name, value] : in.headers)
        request.headers.emplace_back(name, value);
    if (!reader) {
        request.body = in.body;
    } else if (in.is_multipart_form_data()) {
        (*reader)(
            [&](const httplib::MultipartFormData& header) {
                request.parts.push_back({header.name, header.content_type, {}});
                return true;
            },
            [&](const char* data, size_t length) {
                if (!request.parts.empty())
                    request.parts.back().content.append(data, length);
                return true;
            });
    } else {
        (*reader)([&](const char* data, size_t length) {
            request.body.append(data, length);
            return true;
        });
    }
    ScriptedReply reply = answer(request);

    if (reply.stall || reply.delay > 0) {
        std::unique_lock lock(m_mutex);
        if (reply.stall)
            m_released.wait(lock, [this] { return m_stopping; });
        else
            m_released.wait_for(lock, std::chrono::duration<double>(reply.delay),
                                [this] { return m_stopping; });
        if (reply.stall)
            return;
    }
    out.status = reply.status;
    for (const auto& [name, value] : reply.headers)
        out.set_header(name, value);
    if (!reply.chunks.empty()) {
        auto chunks = std::make_shared<std::vector<std::string>>(reply.chunks);
        auto next = std::make_shared<std::size_t>(0);
        out.set_chunked_content_provider(reply.contentType, [chunks, next](size_t, httplib::DataSink& sink) {
            if (*next < chunks->size()) {
                const std::string& piece = (*chunks)[(*next)++];
                sink.write(piece.data(), piece.size());
            } else {
                sink.done();
            }
            return true;
        });
    } else if (!reply.body.empty()) {
        out.set_content(reply.body, reply.contentType);
    }
}

bool LoopbackServer::serve(std::unique_ptr<httplib::Server> server)
{
    m_server = std::move(server);
    // One request per connection: an idle kept-alive connection would hold stop() for seconds.
    m_server->set_keep_alive_max_count(1);
    auto handler = [this](const httplib::Request& in, httplib::Response& out) { respond(in, out, nullptr); };
    // A POST reads its own body, so that the parts of a multipart body are seen too.
    auto reading = [this](const httplib::Request& in, httplib::Response& out,
                          const httplib::ContentReader& reader) { respond(in, out, &reader); };
    for (auto* method : {"GET", "POST", "PUT", "DELETE", "PATCH", "OPTIONS"}) {
        std::string name = method;
        if (name == "GET")
            m_server->Get(".*", handler);
        else if (name == "POST")
            m_server->Post(".*", reading);
        else if (name == "PUT")
            m_server->Put(".*", handler);
        else if (name == "DELETE")
            m_server->Delete(".*", handler);
        else if (name == "PATCH")
            m_server->Patch(".*", handler);
        else
            m_server->Options(".*", handler);
    }
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0) {
        m_server.reset();
        m_port = 0;
        return false;
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopping = false;
    }
    m_thread = std::thread([server = m_server.get()] { server->listen_after_bind(); });
    // stop() only reaches a server that is already accepting; until then it would be lost.
    auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!m_server->is_running() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::yield();
    return true;
}

void LoopbackServer::stop()
{
    if (!m_server)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_released.notify_all();
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
    m_server.reset();
}

bool LoopbackServer::isRunning() const
{
    return m_server != nullptr;
}

std::string LoopbackServer::baseURL() const
{
    return (m_tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(m_port);
}

std::vector<RecordedRequest> LoopbackServer::requests() const
{
    std::lock_guard lock(m_mutex);
    return m_requests;
}

std::optional<RecordedRequest> LoopbackServer::lastRequest() const
{
    std::lock_guard lock(m_mutex);
    if (m_requests.empty())
        return std::nullopt;
    return m_requests.back();
}

std::size_t LoopbackServer::requestCount() const
{
    std::lock_guard lock(m_mutex);
    return m_requests.size();
}

void LoopbackServer::clearRequests()
{
    std::lock_guard lock(m_mutex);
    m_requests.clear();
}

} // namespace testkit
