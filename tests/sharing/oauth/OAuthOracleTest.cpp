// Signatures checked against an independent OAuth 1.0 implementation (python3-oauthlib), which signs each
// request from what a server receives: its method, URL, body, content type and Authorization header.
#include "SigningCases.h"

#include "testing/TestTools.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
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

TEST(OAuthOracle, SignaturesMatchAnRFC5849Server)
{
    const char* python = "/usr/bin/python3";
    VELMO_REQUIRE_TOOL(access(python, X_OK) == 0,
                       "no " << python
                             << ": install Debian's python3 and python3-oauthlib "
                                "(apt-get install python3 python3-oauthlib) for the oauthlib cross-check");

    const auto& rows = oauth_test::signingCases();
    std::vector<ns::Ref<OAMutableURLRequest>> requests;
    std::string file = "[";
    for (const auto& row : rows) {
        auto request = oauth_test::signedRequest(row);
        requests.push_back(request);
        std::string body = request->HTTPBody() ? std::string(request->HTTPBody()->view()) : std::string();
        if (file.size() > 1)
            file += ",\n";
        file += "{\"method\":" + json(request->HTTPMethod()) + ",\"uri\":" + json(request->URLString()) +
                ",\"body\":" + json(body) +
                ",\"content_type\":" + json(request->valueForHTTPHeaderField("Content-Type").value_or("")) +
                ",\"authorization\":" + json(*request->valueForHTTPHeaderField("Authorization")) +
                ",\"consumer_secret\":" + json(row.consumerSecret) +
                ",\"token_secret\":" + json(row.token ? row.token->secret().value_or("") : "") +
                ",\"signature_method\":" + json(request->signatureProvider()->name()) + "}";
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
        ASSERT_TRUE(pipe);
        char buffer[4096];
        std::size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
            output.append(buffer, n);
        status = pclose(pipe.release());
    }
    std::filesystem::remove_all(folder);
    VELMO_REQUIRE_TOOL(!(WIFEXITED(status) && WEXITSTATUS(status) == 3),
                       python << " cannot import oauthlib: install Debian's python3-oauthlib "
                                 "(apt-get install python3-oauthlib) for the oauthlib cross-check");
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;

    std::vector<std::string> lines;
    for (std::size_t start = 0; start < output.size();) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        lines.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_EQ(lines.size(), rows.size()) << output;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].name);
        std::size_t tab = lines[i].find('\t');
        ASSERT_NE(tab, std::string::npos);
        std::string base = lines[i].substr(tab + 1);
        std::string signature = lines[i].substr(0, tab);
        EXPECT_EQ(requests[i]->signatureBaseString(), base);
        EXPECT_EQ(requests[i]->signature(), signature);
        // The signing test's fixed rows hold what the oracle says, so they check the same without it.
        EXPECT_EQ(rows[i].base, base) << "the fixed row differs from the oracle";
        EXPECT_EQ(rows[i].signature, signature) << "the fixed row differs from the oracle";
    }
}
