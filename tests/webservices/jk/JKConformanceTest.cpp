#include "webservices/jk/JKSerializer.h"
#include "webservices/jk/JSONDecoder.h"

#include "foundation/String.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    return contents.str();
}

struct Deviation
{
    bool accepted;
    std::string reason;
};

// Each line: a file name, "accepted" or "refused", and the reason.
std::map<std::string, Deviation> readDeviations()
{
    std::map<std::string, Deviation> deviations;
    std::istringstream lines(
        readFile(fs::path(VELMO_SOURCE_ROOT) / "tests" / "fixtures" / "jk" / "conformance-deviations.txt"));
    std::string line;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name, outcome, reason;
        fields >> name >> outcome;
        std::getline(fields, reason);
        EXPECT_TRUE(outcome == "accepted" || outcome == "refused") << line;
        EXPECT_FALSE(reason.empty()) << "no reason given: " << line;
        EXPECT_FALSE(deviations.count(name)) << "listed twice: " << name;
        deviations[name] = Deviation{outcome == "accepted", reason};
    }
    return deviations;
}

} // namespace

// Every y_ case is accepted and every n_ case refused, except the listed deviations; every i_ case (where
// the grammar leaves the choice to the parser) is listed with its outcome, so a change of behaviour shows.
TEST(JSONDecoderConformance, EveryFileBehavesAsExpected)
{
    fs::path folder = fs::path(VELMO_FIXTURES) / "json-conformance" / "test_parsing";
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    auto deviations = readDeviations();
    ASSERT_FALSE(deviations.empty());
    std::size_t seen = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".json")
            continue;
        SCOPED_TRACE(name);
        std::string text = readFile(entry.path());
        JSONDecoder decoder;
        ns::Ref<ns::Error> error;
        ns::Id decoded = decoder.objectWithUTF8String(text.data(), text.size(), &error);
        bool accepted = decoded != nullptr;
        EXPECT_EQ(accepted, error == nullptr);
        if (decoded) {
            // Writing what was read and reading it again gives an equal value.
            ns::Ref<ns::Error> encodeError;
            auto written = ns::cast<ns::String>(JKSerializer::serializeObject(
                decoded, 0, JKEncodeOptionAsString, {}, nullptr, {}, &encodeError));
            ASSERT_TRUE(written) << encodeError->localizedDescription();
            JSONDecoder fresh;
            ns::Id again = fresh.objectWithUTF8String(written->str().data(), written->str().size(), &error);
            EXPECT_TRUE(ns::isEqual(decoded, again)) << written->str();
        }
        auto deviation = deviations.find(name);
        if (deviation != deviations.end()) {
            ++seen;
            EXPECT_EQ(accepted, deviation->second.accepted) << "listed as" << deviation->second.reason;
            continue;
        }
        if (name[0] == 'y') {
            EXPECT_TRUE(accepted) << error->localizedDescription();
        } else if (name[0] == 'n') {
            EXPECT_FALSE(accepted);
        } else {
            ADD_FAILURE() << "an implementation-defined case is not listed";
        }
    }
    EXPECT_EQ(seen, deviations.size()) << "the list names files that are not in the suite";
}
