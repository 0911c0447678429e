// Signatures checked against an independent OAuth 1.0 implementation (python3-oauthlib), which signs each
// request from what a server receives: its method, URL, body, content type and Authorization header.
#include "sharing/oauth/OAMutableURLRequest.h"
#include "sharing/oauth/OAParameterAdditions.h"
#include "sharing/oauth/OAPlaintextSignatureProvider.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

namespace {

struct Row
{
    const char* name;
    const char* method;
    const char* url;
    ns::Ref<OAToken> token = nullptr;
    std::vector<std::pair<std::string, std::string>> form = {}; // set as the request's parameters
    const char* contentType = nullptr;                          // with `body`, set as they are
    const char* body = nullptr;
    std::vector<std::pair<std::string, std::string>> extra = {};
    bool plaintext = false;
    const char* consumerSecret = "kd94hf93k423kf44";
};

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

ns::Ref<OAMutableURLRequest> build(const Row& row)
{
    ns::Ref<OASignatureProviding> provider;
    if (row.plaintext)
        provider = std::make_shared<OAPlaintextSignatureProvider>();
    auto request = std::make_shared<OAMutableURLRequest>(
        ns::URL::withString(row.url), std::make_shared<OAConsumer>("dpf43f3p2l4k3l03", row.consumerSecret),
        row.token, std::nullopt, provider, "kllo9940pd9333jh", "1191242096");
    request->setHTTPMethod(row.method);
    if (!row.form.empty()) {
        OAParameterAdditions::Parameters parameters;
        for (const auto& [name, value] : row.form)
            parameters.push_back(OARequestParameter::requestParameterWithName(name, value));
        OAParameterAdditions::setParameters(*request, parameters);
    }
    if (row.contentType)
        request->setValue(std::string(row.contentType), "Content-Type");
    if (row.body)
        request->setHTTPBody(ns::Data::withString(row.body));
    for (const auto& [name, value] : row.extra)
        request->setOAuthParameterName(name, value);
    request->prepare();
    return request;
}

struct PipeCloser
{
    void operator()(FILE* file) const { pclose(file); }
};

} // namespace

TEST(OAuthOracle, SignaturesMatchAnRFC5849Server)
{
    const char* python = "/usr/bin/python3";
    if (access(python, X_OK) != 0)
        GTEST_SKIP() << "no " << python << ": the oauthlib cross-check is skipped";

    auto token = std::make_shared<OAToken>("nnch734d00sl2jdk", "pfkkdhi9sl3r4s00");
    std::vector<Row> rows = {
        {.name = "empty token", .method = "GET", .url = "http://photos.example.net/photos?size=original"},
        {.name = "form post",
         .method = "POST",
         .url = "http://api.example.com/1/statuses/update.json",
         .token = token,
         .form = {{"status", "Hello Ladies + Gentlemen, a signed OAuth request!"},
                  {"include_entities", "true"}}},
        {.name = "post with a query",
         .method = "POST",
         .url = "http://example.com/p?x=1&y=%20z",
         .token = token,
         .form = {{"b", "2"}}},
        {.name = "extra oauth parameters",
         .method = "POST",
         .url = "https://example.com/oauth/access_token",
         .token = token,
         .extra = {{"oauth_verifier", "v3r1f13r"}, {"oauth_callback", "http://cb.example/?a=b&c=d e"}}},
        {.name = "utf-8 and reserved characters",
         .method = "GET",
         .url = "http://example.com/s%C3%BCche/",
         .token = std::make_shared<OAToken>("t/k+n", "s\xC3\xA9"
                                                     "cr&t"),
         .form = {{"n\xC3\xA4 me", "caf\xC3\xA9/?&=+!*'()~#%"}, {"\xE2\x82\xAC", ""}},
         .consumerSecret = "c&s=1"},
        {.name = "repeated names",
         .method = "GET",
         .url = "http://example.com/r?a1=y&a=2&a-b=x&a=1&a=&a.c=z"},
        {.name = "plaintext",
         .method = "POST",
         .url = "https://example.com/request_token",
         .token = token,
         .plaintext = true,
         .consumerSecret = "c s&"},
        {.name = "plus in query and body",
         .method = "POST",
         .url = "http://example.com/p?q=a+b",
         .contentType = "application/x-www-form-urlencoded",
         .body = "r=c+d&s=%2B"},
        {.name = "body without a type", .method = "PUT", .url = "http://example.com/p", .body = "a=1&b=2"},
        {.name = "json body",
         .method = "POST",
         .url = "http://example.com/p?q=1",
         .contentType = "application/json",
         .body = "{\"a\":1}"},
        {.name = "multipart with query",
         .method = "POST",
         .url = "http://example.com/upload?album=7",
         .token = token,
         .contentType = "multipart/form-data; boundary=xyz",
         .body = "--xyz\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--xyz--\r\n"},
        {.name = "delete with query",
         .method = "DELETE",
         .url = "http://example.com/items/3?force=1",
         .token = token},
        {.name = "address normalised", .method = "GET", .url = "HTTP://Photos.Example.NET:80?file=a#top"},
        {.name = "default tls port",
         .method = "GET",
         .url = "https://Example.com:443/a/b?c=d",
         .token = token},
        {.name = "other port", .method = "GET", .url = "http://example.com:8080/a"},
    };

    std::vector<ns::Ref<OAMutableURLRequest>> requests;
    std::string file = "[";
    for (const auto& row : rows) {
        auto request = build(row);
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
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        GTEST_SKIP() << python << " has no oauthlib (python3-oauthlib): the cross-check is skipped";
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
        EXPECT_EQ(requests[i]->signatureBaseString(), lines[i].substr(tab + 1));
        EXPECT_EQ(requests[i]->signature(), lines[i].substr(0, tab));
    }
}
