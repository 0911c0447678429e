#include "webservices/strictjson/StrictJsonParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const fs::path suite = fs::path(VELMO_FIXTURES) / "json-conformance" / "test_parsing";
const fs::path deviations =
    fs::path(VELMO_SOURCE_ROOT) / "tests" / "fixtures" / "strictjson" / "conformance-deviations.txt";

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

struct Expectation
{
    bool accepted;
    std::string reason;
};

// "<file> accepted|refused <reason>" a line; '#' starts a comment line.
std::map<std::string, Expectation> readDeviations()
{
    std::map<std::string, Expectation> out;
    std::ifstream in(deviations);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream fields(line);
        std::string name, outcome;
        fields >> name >> outcome;
        std::string reason;
        std::getline(fields, reason);
        EXPECT_TRUE(outcome == "accepted" || outcome == "refused") << line;
        EXPECT_NE(reason.find_first_not_of(' '), std::string::npos) << "no reason given: " << line;
        EXPECT_FALSE(out.count(name)) << "listed twice: " << name;
        out[name] = {outcome == "accepted", reason};
    }
    return out;
}

} // namespace

// Every y_ case is accepted and every n_ case refused, except the listed deviations; every i_ case (where
// the grammar leaves the choice to the parser) is listed with its outcome, so a change of behaviour shows.
TEST(StrictJsonConformance, MatchesTheSuiteExceptForTheListedDeviations)
{
    ASSERT_TRUE(fs::is_directory(suite)) << suite;
    ASSERT_TRUE(fs::is_regular_file(deviations)) << deviations;
    auto listed = readDeviations();
    ASSERT_FALSE(listed.empty());

    std::map<std::string, bool> seen;
    StrictJsonParser parser;
    for (const auto& entry : fs::directory_iterator(suite)) {
        std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".json")
            continue;
        SCOPED_TRACE(name);
        bool accepted = parser.fragmentWithString(readFile(entry.path())) != nullptr;
        EXPECT_EQ(accepted, !parser.errorTrace()) << "a result and a trace disagree";
        seen[name] = accepted;

        auto found = listed.find(name);
        if (found != listed.end()) {
            EXPECT_EQ(accepted, found->second.accepted) << "listed as " << found->second.reason;
            continue;
        }
        ASSERT_TRUE(name[0] == 'y' || name[0] == 'n') << "an implementation-defined case is not listed";
        EXPECT_EQ(accepted, name[0] == 'y');
    }
    for (const auto& [name, expectation] : listed)
        EXPECT_TRUE(seen.count(name)) << "listed but not in the suite: " << name;
}
