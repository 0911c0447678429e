// A form-login sharer (Instapaper) against a service that misbehaves, driven as a user drives it: velmo
// runs a script whose login check is answered well and whose bookmark meets the misbehaviour; the screen
// must tell the failure, the password must stay home, and velmo must not grow with the reply.
#include "VelmoRun.h"
#include "testing/RawServer.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <thread>

namespace {

using testkit::RawConnection;
using testkit::RawServer;

constexpr const char* Password = "s3cret";

bool startsWith(const std::string& text, std::string_view prefix)
{
    return text.rfind(prefix, 0) == 0;
}

// The peak resident size of the largest child this process has waited for, velmo's runs among them.
std::size_t childrenPeakBytes()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<std::size_t>(usage.ru_maxrss) * 1024;
}

TEST(HostileServiceScript, AMisbehavingServiceNeverShowsSavedNorTakesThePassword)
{
    const std::string bomb = testkit::gzippedZeros(256);
    struct Row
    {
        const char* name;
        // Answers the bookmark (the login check is answered before); `other` is another origin.
        std::function<void(RawConnection&, const RawServer& other)> add;
        int adds = 1;      // bookmarks the service receives
        bool slow = false; // the failure comes only once the device's clock passes the timeout
    };
    const Row rows[] = {
        {"307 to another origin",
         [](RawConnection& connection, const RawServer& other) {
             connection.send("HTTP/1.1 307 Temporary Redirect\r\nLocation: " + other.url("/api/add") +
                             "\r\nContent-Length: 0\r\n\r\n");
         }},
        {"308 to another origin",
         [](RawConnection& connection, const RawServer& other) {
             connection.send("HTTP/1.1 308 Permanent Redirect\r\nLocation: " + other.url("/api/add") +
                             "\r\nContent-Length: 0\r\n\r\n");
         }},
        {"gzip bomb",
         [&bomb](RawConnection& connection, const RawServer&) {
             connection.send("HTTP/1.1 201 Created\r\nContent-Encoding: gzip\r\nContent-Length: " +
                             std::to_string(bomb.size()) + "\r\n\r\n");
             connection.send(bomb);
         }},
        {"plain reply of 200 MB",
         [](RawConnection& connection, const RawServer&) {
             std::size_t length = std::size_t(200) << 20;
             connection.send("HTTP/1.1 201 Created\r\nContent-Length: " + std::to_string(length) +
                             "\r\n\r\n");
             connection.sendZeros(length);
         }},
        {"one byte at a time",
         [](RawConnection& connection, const RawServer&) {
             connection.send("HTTP/1.1 201 Created\r\nContent-Length: 100000\r\n\r\n");
             for (int i = 0; i < 400 && connection.send("x"); ++i)
                 std::this_thread::sleep_for(std::chrono::milliseconds(25));
         },
         1, true},
        {"a head, 7 of 1000 bytes, then a reset",
         [](RawConnection& connection, const RawServer&) {
             connection.send("HTTP/1.1 201 Created\r\nContent-Length: 1000\r\n\r\n1234567");
             std::this_thread::sleep_for(std::chrono::milliseconds(100));
             connection.reset();
         }},
        {"the connection closed unanswered", [](RawConnection&, const RawServer&) {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testkit::TemporaryHome home;
        RawServer other;
        ASSERT_TRUE(other.start([](RawConnection& connection) {
            while (connection.readRequest())
                connection.send("HTTP/1.1 201 Created\r\nContent-Length: 2\r\n\r\nOK");
        }));
        RawServer service;
        ASSERT_TRUE(service.start([&](RawConnection& connection) {
            while (auto request = connection.readRequest()) {
                if (startsWith(*request, "POST /api/authenticate")) {
                    connection.send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK");
                    continue;
                }
                row.add(connection, other);
                return;
            }
        }));
        std::string base = "http://127.0.0.1:" + std::to_string(service.port());
        // A trickle is seen to its end by moving the device's clock past the request's 90 s.
        std::string script = "share SHKInstapaper http://example.com/page A page\nwait 1\ntype bob\n"
                             "tap 207 141\ntype s3cret\npress Login\n";
        script += row.slow ? "wait 95\n" : "await There was a problem saving to Instapaper.\n";
        script += "dump\n";
        VelmoRun run = runScript(home, script, {.config = settingsFile(home, {{"instapaperURL", base}})});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out.find("Saved!"), std::string::npos) << run.out;
        EXPECT_NE(run.out.find("There was a problem saving to Instapaper."), std::string::npos) << run.out;
        int adds = 0;
        for (const auto& request : service.requests())
            adds += startsWith(request, "POST /api/add");
        EXPECT_EQ(adds, row.adds) << "the bookmark went out once";
        EXPECT_TRUE(other.requests().empty()) << "the password stayed with the service";
        EXPECT_LT(childrenPeakBytes(), std::size_t(400) << 20);
    }
}

} // namespace
