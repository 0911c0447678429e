// Creating a note with a 1 MB image on a note store over HTTP: our client over our transport against the
// client the Thrift compiler generates, over Thrift's own THttpClient, both calling the same server in this
// process. Each call makes its client and its connection afresh, as the sharer does for every send; the
// server answers the note as sent, image included. CPU time is the calling thread's, so the figures are the
// clients' own work.

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "kit/Comparisons.h"
#include "notes/calls/EDAMNoteStoreClient.h"
#include "notes/records/EDAMData.h"
#include "notes/records/EDAMNote.h"
#include "notes/records/EDAMResource.h"
#include "notes/transport/THTTPClient.h"

#include "NoteStore.h"

#include <benchmark/benchmark.h>
#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/server/TThreadedServer.h>
#include <thrift/transport/THttpClient.h>
#include <thrift/transport/THttpServer.h>
#include <thrift/transport/TServerSocket.h>
#include <thrift/transport/TSocket.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using apache::thrift::protocol::TBinaryProtocol;
using apache::thrift::protocol::TBinaryProtocolFactory;
using apache::thrift::server::TServerEventHandler;
using apache::thrift::server::TThreadedServer;
using apache::thrift::transport::THttpClient;
using apache::thrift::transport::THttpServerTransportFactory;
using apache::thrift::transport::TServerSocket;
using apache::thrift::transport::TSocket;

namespace {

constexpr std::size_t ImageSize = 1024 * 1024;
constexpr const char* Token = "token-1";
constexpr const char* Path = "/edam/note/s1";

// Bytes that do not compress, as a JPEG's do not.
std::string imageBytes()
{
    std::string bytes(ImageSize, '\0');
    uint32_t state = 0x12345678;
    for (auto& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

const std::string& image()
{
    static const std::string bytes = imageBytes();
    return bytes;
}

const std::string BodyHash(16, '\x5a');
const std::string Content = "<?xml version=\"1.0\" encoding=\"UTF-8\"?><en-note><p>A picture</p>"
                            "<p><en-media type=\"image/jpeg\" height=\"768\" width=\"1024\" "
                            "hash=\"5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a\"/></p></en-note>";

// The note as the sharer makes it for an image: one resource whose data and recognition are the same block.
ns::Ref<EDAMNote> ourNote()
{
    auto data = EDAMData::initWithBodyHash(ns::Data::withString(BodyHash), static_cast<int32_t>(ImageSize),
                                           ns::Data::withString(image()));
    auto resource = ns::make<EDAMResource>();
    resource->setData(data);
    resource->setRecognition(data);
    resource->setMime(ns::String::make("image/jpeg"));
    auto note = ns::make<EDAMNote>();
    note->setTitle(ns::String::make("A picture"));
    note->setContent(ns::String::make(Content));
    note->setNotebookGuid(ns::String::make("nb-2"));
    note->setCreated(1700000000000);
    note->setResources(ns::Array::make({resource}));
    return note;
}

generated::Note generatedNote()
{
    generated::Data data;
    data.__set_bodyHash(BodyHash);
    data.__set_size(static_cast<int32_t>(ImageSize));
    data.__set_body(image());
    generated::Resource resource;
    resource.__set_data(data);
    resource.__set_recognition(data);
    resource.__set_mime("image/jpeg");
    generated::Note note;
    note.__set_title("A picture");
    note.__set_content(Content);
    note.__set_notebookGuid("nb-2");
    note.__set_created(1700000000000);
    note.__set_resources({resource});
    return note;
}

class NoteStore : public generated::NoteStoreIf
{
public:
    void listNotebooks(std::vector<generated::Notebook>&, const std::string&) override {}
    void createNote(generated::Note& result, const std::string&, const generated::Note& note) override
    {
        result = note;
        result.__set_guid("note-1");
    }
};

class Ready : public TServerEventHandler
{
public:
    std::promise<void> listening;
    void preServe() override { listening.set_value(); }
};

// Thrift's own HTTP server for the note store on 127.0.0.1, a thread per connection.
class Server
{
public:
    Server()
        : m_socket(std::make_shared<TServerSocket>("127.0.0.1", 0)),
          m_server(std::make_shared<generated::NoteStoreProcessor>(std::make_shared<NoteStore>()), m_socket,
                   std::make_shared<THttpServerTransportFactory>(),
                   std::make_shared<TBinaryProtocolFactory>())
    {
        auto ready = std::make_shared<Ready>();
        auto listening = ready->listening.get_future();
        m_server.setServerEventHandler(ready);
        m_thread = std::thread([this] { m_server.serve(); });
        listening.wait();
    }
    ~Server()
    {
        m_server.stop();
        m_thread.join();
    }
    int port() const { return m_socket->getPort(); }

private:
    std::shared_ptr<TServerSocket> m_socket;
    TThreadedServer m_server;
    std::thread m_thread;
};

Server& server()
{
    static Server running;
    return running;
}

void ours(benchmark::State& state)
{
    auto note = ourNote();
    auto url = ns::URL::withString("http://127.0.0.1:" + std::to_string(server().port()) + Path);
    for (auto _ : state) {
        auto protocol = std::make_shared<TBinaryProtocol>(THTTPClient::initWithURL(url), 0, 0, false, false);
        auto client = EDAMNoteStoreClient::initWithProtocol(protocol);
        auto created = client->createNote(std::string(Token), note);
        auto resources = created ? created->resources() : nullptr;
        auto resource = resources && resources->count() ? resources->objectAs<EDAMResource>(0) : nullptr;
        auto data = resource ? resource->data() : nullptr;
        if (!data || !data->body() || data->body()->length() != ImageSize)
            state.SkipWithError("the note came back without its image");
        benchmark::DoNotOptimize(created.get());
    }
}

void generatedClient(benchmark::State& state)
{
    auto note = generatedNote();
    for (auto _ : state) {
        auto socket = std::make_shared<TSocket>("127.0.0.1", server().port());
        auto transport = std::make_shared<THttpClient>(socket, "127.0.0.1", Path);
        auto protocol = std::make_shared<TBinaryProtocol>(transport, 0, 0, false, false);
        generated::NoteStoreClient client(protocol);
        transport->open();
        generated::Note created;
        client.createNote(created, Token, note);
        transport->close();
        if (created.resources.empty() || created.resources[0].data.body.size() != ImageSize)
            state.SkipWithError("the note came back without its image");
        benchmark::DoNotOptimize(&created);
    }
}

} // namespace

BENCHMARK(ours)->Name("CreateNote/ours");
BENCHMARK(generatedClient)->Name("CreateNote/generated");

int main(int argc, char** argv)
{
    return benchkit::runComparisons(
        argc, argv,
        {{"create a note with a 1 MB image, vs Thrift's generated client over THttpClient", "CreateNote/ours",
          "CreateNote/generated"}});
}
