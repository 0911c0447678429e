// Writing and reading a note with ten 64 KiB resources: our records against the code the Thrift compiler
// generates for the same records, in the same run.

#include "kit/Comparisons.h"
#include "notes/records/EDAMNote.h"

#include "NoteRecords_types.h"

#include <benchmark/benchmark.h>
#include <thrift/protocol/TBinaryProtocol.h>
#include <thrift/transport/TBufferTransports.h>

#include <memory>
#include <string>

using apache::thrift::protocol::TBinaryProtocol;
using apache::thrift::transport::TMemoryBuffer;

namespace {

constexpr int ResourceCount = 10;
constexpr std::size_t ResourceSize = 64 * 1024;

std::string body(int index)
{
    std::string bytes(ResourceSize, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 31 + static_cast<std::size_t>(index)) & 0xff);
    return bytes;
}

ns::Ref<EDAMNote> ourNote()
{
    std::vector<ns::Id> resources;
    for (int i = 0; i < ResourceCount; ++i) {
        std::string bytes = body(i);
        auto resource = ns::make<EDAMResource>();
        resource->setData(EDAMData::initWithBodyHash(ns::Data::make(std::vector<uint8_t>(16, uint8_t(i))),
                                                     static_cast<int32_t>(bytes.size()),
                                                     ns::Data::withString(bytes)));
        resource->setMime(ns::String::make("image/jpeg"));
        resources.push_back(resource);
    }
    auto note = ns::make<EDAMNote>();
    note->setTitle(ns::String::make("Ten pictures"));
    note->setContent(ns::String::make("<en-note>ten pictures</en-note>"));
    note->setCreated(1700000000000);
    note->setResources(ns::Array::make(std::move(resources)));
    note->setTagNames(ns::Array::make({ns::String::make("photos"), ns::String::make("trip")}));
    return note;
}

generated::Note generatedNote()
{
    std::vector<generated::Resource> resources;
    for (int i = 0; i < ResourceCount; ++i) {
        std::string bytes = body(i);
        generated::Data data;
        data.__set_bodyHash(std::string(16, static_cast<char>(i)));
        data.__set_size(static_cast<int32_t>(bytes.size()));
        data.__set_body(bytes);
        generated::Resource resource;
        resource.__set_data(data);
        resource.__set_mime("image/jpeg");
        resources.push_back(resource);
    }
    generated::Note note;
    note.__set_title("Ten pictures");
    note.__set_content("<en-note>ten pictures</en-note>");
    note.__set_created(1700000000000);
    note.__set_resources(resources);
    note.__set_tagNames({"photos", "trip"});
    return note;
}

void ours(benchmark::State& state)
{
    auto note = ourNote();
    auto buffer = std::make_shared<TMemoryBuffer>();
    TBinaryProtocol protocol(buffer, 0, 0, false, false);
    for (auto _ : state) {
        buffer->resetBuffer();
        note->write(protocol);
        EDAMNote read;
        read.read(protocol);
        buffer->readEnd(); // as after a message: the transport starts counting its size afresh
        benchmark::DoNotOptimize(read.resources()->count());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(ResourceCount * ResourceSize) * 2);
}

void generatedCode(benchmark::State& state)
{
    auto note = generatedNote();
    auto buffer = std::make_shared<TMemoryBuffer>();
    TBinaryProtocol protocol(buffer, 0, 0, false, false);
    for (auto _ : state) {
        buffer->resetBuffer();
        note.write(&protocol);
        generated::Note read;
        read.read(&protocol);
        buffer->readEnd();
        benchmark::DoNotOptimize(read.resources.size());
    }
    state.SetBytesProcessed(state.iterations() * int64_t(ResourceCount * ResourceSize) * 2);
}

} // namespace

BENCHMARK(ours)->Name("WriteReadNote/ours");
BENCHMARK(generatedCode)->Name("WriteReadNote/generated");

int main(int argc, char** argv)
{
    return benchkit::runComparisons(
        argc, argv,
        {{"write and read a note of ten 64 KiB resources, vs Thrift's generated code", "WriteReadNote/ours",
          "WriteReadNote/generated"}});
}
