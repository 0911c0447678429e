// velmo --config and --config-keys, run as a user runs them.
#include "VelmoRun.h"
#include "foundation/FileManager.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string plist(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + body + "\n</plist>\n";
}

// The line of the listing for one key.
std::string lineFor(const std::string& listing, const std::string& key)
{
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(key + " (", 0) == 0)
            return line;
    return "";
}

TEST(ConfigOptions, TheKeyListingShowsEveryAnswerAfterTheSettings)
{
    testkit::TemporaryHome home;
    VelmoRun defaults = velmo(home, "--config-keys");
    ASSERT_EQ(defaults.status, 0) << defaults.err;
    EXPECT_EQ(defaults.err, "");
    EXPECT_EQ(lineFor(defaults.out, "favsPrefixKey"), "favsPrefixKey (text) = \"VELMO_FAVS_\"");
    EXPECT_EQ(lineFor(defaults.out, "maxFavCount"), "maxFavCount (number) = 3");
    EXPECT_EQ(lineFor(defaults.out, "allowOffline"), "allowOffline (bool) = true");
    EXPECT_EQ(lineFor(defaults.out, "formFontColor"), "formFontColor (colour) = none");
    EXPECT_EQ(lineFor(defaults.out, "twitterAPIURL"), "twitterAPIURL (text) = \"https://api.twitter.com\"");
    EXPECT_EQ(lineFor(defaults.out, "twitterConsumerKey"), "twitterConsumerKey (text) = \"\"");
    // One key a line: "key (kind) = answer".
    std::istringstream lines(defaults.out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_TRUE(
            std::regex_match(line, std::regex(R"([A-Za-z0-9]+:? \((text|bool|number|colour|array)\) = .+)")))
            << line;

    std::string settings = home.file("settings.plist");
    ASSERT_TRUE(ns::FileManager::writeAtomically(
        settings, plist("<dict><key>twitterAPIURL</key><string>http://127.0.0.1:8123</string>"
                        "<key>twitterConsumerKey</key><string>ck</string>"
                        "<key>allowOffline</key><false/>"
                        "<key>formFontColor</key><string>#ff0000</string>"
                        "<key>noSuchKey</key><string>x</string>"
                        "<key>maxFavCount</key><string>five</string></dict>")));
    VelmoRun changed = velmo(home, "--config '" + settings + "' --config-keys");
    ASSERT_EQ(changed.status, 0) << changed.err;
    EXPECT_EQ(lineFor(changed.out, "twitterAPIURL"), "twitterAPIURL (text) = \"http://127.0.0.1:8123\"");
    EXPECT_EQ(lineFor(changed.out, "twitterConsumerKey"), "twitterConsumerKey (text) = \"ck\"");
    EXPECT_EQ(lineFor(changed.out, "allowOffline"), "allowOffline (bool) = false");
    EXPECT_EQ(lineFor(changed.out, "formFontColor"), "formFontColor (colour) = #ff0000ff");
    EXPECT_EQ(lineFor(changed.out, "maxFavCount"), "maxFavCount (number) = 3");
    EXPECT_EQ(lineFor(changed.out, "noSuchKey"), "");
    // The unknown key and the value of the wrong kind are reported and ignored.
    EXPECT_NE(changed.err.find(settings + ": \"noSuchKey\" is not a configuration key; ignored\n"),
              std::string::npos)
        << changed.err;
    EXPECT_NE(changed.err.find(settings + ": \"maxFavCount\" takes a number, not a text; ignored\n"),
              std::string::npos)
        << changed.err;
}

TEST(ConfigOptions, AFileThatIsNotADictionaryStopsTheStart)
{
    testkit::TemporaryHome home;
    struct Row
    {
        const char* name;
        std::string contents;
        const char* message;
    };
    const Row rows[] = {
        {"array", plist("<array><string>twitterAPIURL</string></array>"), "holds an array, not a dictionary"},
        {"text", plist("<string>twitterAPIURL=x</string>"), "holds a text, not a dictionary"},
        {"not a property list", "twitterAPIURL = http://127.0.0.1\n", "is not a property list"},
        {"empty", "", "is not a property list"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::string file = home.file("settings.plist");
        ASSERT_TRUE(ns::FileManager::writeAtomically(file, row.contents));
        VelmoRun run = velmo(home, "--config '" + file + "' --script /dev/null");
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("velmo: the configuration file \"" + file + "\" " + row.message),
                  std::string::npos)
            << run.err;
    }
    VelmoRun missing = velmo(home, "--config '" + home.file("nowhere.plist") + "' --config-keys");
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("cannot read the configuration file"), std::string::npos) << missing.err;
}

TEST(ConfigOptions, OnlyABoundedRegularFileIsReadAndItsNumbersAndKeysAreNotBent)
{
    testkit::TemporaryHome home;
    std::string fifo = home.file("settings.fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string large = home.file("large.plist");
    ASSERT_TRUE(
        ns::FileManager::writeAtomically(large, plist("<dict><key>twitterConsumerKey</key><string>" +
                                                      std::string(2 << 20, 'k') + "</string></dict>")));
    std::string huge = home.file("huge.plist");
    ASSERT_TRUE(ns::FileManager::writeAtomically(
        huge, plist("<dict><key>maxFavCount</key><integer>18446744073709551616</integer></dict>")));
    struct Row
    {
        const char* name;
        std::string path;
        std::string message;
    } rows[] = {
        {"endless device", "/dev/zero", "\"/dev/zero\" is not a regular file"},
        {"FIFO without a writer", fifo, "\"" + fifo + "\" is not a regular file"},
        {"larger than a configuration", large, "\"" + large + "\" is larger than 1024 KiB"},
        {"a number beyond 64 bits", huge, "\"" + huge + "\" is not a property list"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VelmoRun run = velmo(home, "--config '" + row.path + "' --config-keys");
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("velmo: the configuration file " + row.message), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find("18446744073709551615"), std::string::npos);
    }
    std::string odd = home.file("odd.plist");
    ASSERT_TRUE(ns::FileManager::writeAtomically(
        odd, plist("<dict><key>no\tSuch&#x1B;[2JKey\n</key><string>x</string>"
                   "<key>maxFavCount</key><integer>18446744073709551615</integer></dict>")));
    VelmoRun run = velmo(home, "--config '" + odd + "' --config-keys");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(": \"no\\x09Such\\x1B[2JKey\\x0A\" is not a configuration key; ignored"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(run.err.find('\x1B'), std::string::npos);
}

TEST(ConfigOptions, TheSettingsReachTheLaunchedApplication)
{
    testkit::TemporaryHome home;
    std::string settings = home.file("settings.plist");
    ASSERT_TRUE(ns::FileManager::writeAtomically(
        settings, plist("<dict><key>facebookAppId</key><string>123</string></dict>")));
    VelmoRun run = runScript(home, "wait 0.5\n", {.config = settings, .name = "run.script"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("IllegalStateException"), std::string::npos) << run.err;
}

} // namespace

TEST(ConfigOptions, OptionValuesAreCheckedBeforeTheApplicationRuns)
{
    testkit::TemporaryHome home;
    std::string tls = std::string(VELMO_FIXTURES) + "/network/tls/";
    std::string words = home.file("words.pem");
    ASSERT_TRUE(ns::FileManager::writeAtomically(words, "not a certificate\n"));
    struct Row
    {
        const char* name;
        std::string arguments;
        int status;
        std::string error;
    } rows[] = {
        {"an authority", "--trust-ca '" + tls + "ca.pem' --script /dev/null", 0, ""},
        {"two authorities",
         "--trust-ca '" + tls + "ca.pem' --trust-ca '" + tls + "other-ca.pem' --script /dev/null", 0, ""},
        {"no certificate in it", "--trust-ca '" + words + "' --script /dev/null", 2,
         "velmo: --trust-ca " + words + ": it holds no PEM certificate\n"},
        {"no such file", "--trust-ca '" + home.file("none.pem") + "' --script /dev/null", 2,
         "velmo: --trust-ca cannot read " + home.file("none.pem") + "\n"},
        {"no file named", "--trust-ca", 2,
         "velmo: --trust-ca needs a value\n(velmo --help lists the options)\n"},
        {"pages from the network", "--web network --script /dev/null", 0, ""},
        {"pages from nowhere known", "--web cloud", 2,
         "velmo: --web is offline or network, not \"cloud\"\n(velmo --help lists the options)\n"},
        {"one application at a time", "--multitasking off --script /dev/null", 0, ""},
        {"multitasking neither on nor off", "--multitasking yes", 2,
         "velmo: --multitasking is on or off, not \"yes\"\n(velmo --help lists the options)\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        VelmoRun run = velmo(home, row.arguments);
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_EQ(run.err, row.error);
    }
}
