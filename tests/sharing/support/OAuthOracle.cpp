#include "sharing/support/OAuthOracle.h"

#include "testing/TestTools.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string json(std::string_view text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

struct PipeCloser
{
    void operator()(FILE* file) const { pclose(file); }
};

} // namespace

namespace oauth_test {

void askOracle(const std::vector<OracleRequest>& requests, std::vector<OracleVerdict>& verdicts)
{
    verdicts.clear();
    const char* python = "/usr/bin/python3";
    VELMO_REQUIRE_TOOL(access(python, X_OK) == 0,
                       "no " << python
                             << ": install Debian's python3 and python3-oauthlib "
                                "(apt-get install python3 python3-oauthlib) for the oauthlib cross-check");

    std::string file = "[";
    for (const auto& request : requests) {
        if (file.size() > 1)
            file += ",\n";
        file += "{\"method\":" + json(request.method) + ",\"uri\":" + json(request.uri) +
                ",\"body\":" + json(request.body) + ",\"content_type\":" + json(request.contentType) +
                ",\"authorization\":" + json(request.authorization) +
                ",\"consumer_secret\":" + json(request.consumerSecret) +
                ",\"token_secret\":" + json(request.tokenSecret) +
                ",\"signature_method\":" + json(request.signatureMethod) + "}";
    }
    file += "]\n";

    auto folder = std::filesystem::temp_directory_path() / ("oauth-oracle-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    auto path = folder / "requests.json";
    std::ofstream(path) << file;

    std::string command = std::string(python) + " " + OAUTH_ORACLE_SCRIPT + " " + path.string();
    std::string output;
    int status = -1;
    {
        std::unique_ptr<FILE, PipeCloser> pipe(popen(command.c_str(), "r"));
        if (pipe) {
            char buffer[4096];
            std::size_t n;
            while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
                output.append(buffer, n);
            status = pclose(pipe.release());
        }
    }
    std::filesystem::remove_all(folder);
    ASSERT_NE(status, -1) << "could not run " << command;
    VELMO_REQUIRE_TOOL(!(WIFEXITED(status) && WEXITSTATUS(status) == 3),
                       python << " cannot import oauthlib: install Debian's python3-oauthlib "
                                 "(apt-get install python3-oauthlib) for the oauthlib cross-check");
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;

    // A line per request: "signature<TAB>base string".
    for (std::size_t start = 0; start < output.size();) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        start = end + 1;
        std::size_t tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << output;
        verdicts.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    ASSERT_EQ(verdicts.size(), requests.size()) << output;
}

} // namespace oauth_test
