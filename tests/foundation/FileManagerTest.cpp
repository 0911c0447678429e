#include "foundation/FileManager.h"
#include "foundation/Data.h"
#include "foundation/Error.h"
#include "foundation/Log.h"
#include "foundation/Sandbox.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace ns;

TEST(FileManager, CreatesListsCopiesMovesAndRemoves)
{
    testkit::TemporaryHome home;
    std::string deep = home.file("a/b/c");
    Ref<Error> error;
    EXPECT_FALSE(FileManager::createDirectoryAtPath(deep, false, &error));
    EXPECT_TRUE(error);
    ASSERT_TRUE(FileManager::createDirectoryAtPath(deep, true));
    EXPECT_TRUE(FileManager::createDirectoryAtPath(deep, true)); // already there is fine
    bool isDirectory = false;
    EXPECT_TRUE(FileManager::fileExistsAtPath(deep, &isDirectory));
    EXPECT_TRUE(isDirectory);

    ASSERT_TRUE(FileManager::writeAtomically(deep + "/one.txt", "one"));
    ASSERT_TRUE(FileManager::writeAtomically(deep + "/two.txt", "two"));
    EXPECT_TRUE(FileManager::fileExistsAtPath(deep + "/one.txt", &isDirectory));
    EXPECT_FALSE(isDirectory);
    EXPECT_EQ(FileManager::contentsOfDirectoryAtPath(deep), (std::vector<std::string>{"one.txt", "two.txt"}));
    EXPECT_EQ(FileManager::attributesOfItemAtPath(deep + "/two.txt")->size, 3u);

    ASSERT_TRUE(FileManager::copyItemAtPath(deep + "/one.txt", deep + "/copy.txt"));
    EXPECT_FALSE(FileManager::copyItemAtPath(deep + "/one.txt", deep + "/two.txt", &error));
    EXPECT_EQ(error->code(), FileWriteFileExistsError);
    EXPECT_EQ(FileManager::stringWithContentsOfFile(deep + "/two.txt"), "two");
    ASSERT_TRUE(FileManager::moveItemAtPath(deep + "/copy.txt", home.file("moved.txt")));
    EXPECT_FALSE(FileManager::fileExistsAtPath(deep + "/copy.txt"));
    EXPECT_EQ(FileManager::stringWithContentsOfFile(home.file("moved.txt")), "one");

    ASSERT_TRUE(FileManager::removeItemAtPath(home.file("a")));
    EXPECT_FALSE(FileManager::fileExistsAtPath(home.file("a")));
    EXPECT_FALSE(FileManager::removeItemAtPath(home.file("a"), &error));
    EXPECT_FALSE(FileManager::contentsOfDirectoryAtPath(home.file("a")));
}

TEST(FileManager, ReadsBytesAndUtf8TextOrNothing)
{
    testkit::TemporaryHome home;
    ASSERT_TRUE(FileManager::writeAtomically(home.file("text"), "caf\xc3\xa9"));
    ASSERT_TRUE(FileManager::writeAtomically(home.file("bytes"), std::string_view("\xff\x00\xfe", 3)));
    EXPECT_EQ(FileManager::stringWithContentsOfFile(home.file("text")), "café");
    EXPECT_EQ(FileManager::contentsAtPath(home.file("bytes"))->length(), 3u);
    EXPECT_FALSE(FileManager::stringWithContentsOfFile(home.file("bytes")));
    Ref<Error> error;
    EXPECT_FALSE(FileManager::contentsAtPath(home.file("missing"), &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), FileReadNoSuchFileError);
    EXPECT_FALSE(FileManager::contentsAtPath(home.path()));
}

TEST(FileManager, FailedAtomicWriteLeavesTheOldFileIntact)
{
    testkit::TemporaryHome home;
    std::string folder = home.file("locked");
    ASSERT_TRUE(FileManager::createDirectoryAtPath(folder, true));
    std::string path = folder + "/board.xml";
    ASSERT_TRUE(FileManager::writeAtomically(path, "old contents"));
    ::chmod(path.c_str(), 0600);

    // Onto a path that is a folder, and into a folder where nothing can be created.
    Ref<Error> error;
    EXPECT_FALSE(FileManager::writeAtomically(home.file("Documents"), "new", &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), CocoaErrorDomain);
    bool isDirectory = false;
    EXPECT_TRUE(FileManager::fileExistsAtPath(home.file("Documents"), &isDirectory) && isDirectory);

    if (::geteuid() != 0) { // the superuser writes anywhere
        ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
        error = nullptr;
        EXPECT_FALSE(FileManager::writeAtomically(path, "new contents", &error));
        ASSERT_TRUE(error);
        EXPECT_EQ(error->code(), FileWriteNoPermissionError);
        ::chmod(folder.c_str(), 0700);
    }
    EXPECT_EQ(FileManager::stringWithContentsOfFile(path), "old contents");
    EXPECT_EQ(FileManager::contentsOfDirectoryAtPath(folder), (std::vector<std::string>{"board.xml"}));

    // A successful replacement keeps the file's mode.
    ASSERT_TRUE(FileManager::writeAtomically(path, "new contents"));
    EXPECT_EQ(FileManager::stringWithContentsOfFile(path), "new contents");
    EXPECT_EQ(FileManager::attributesOfItemAtPath(path)->mode, 0600u);
}

// Another process saving into the folder holds its temporary file locked until the rename: the sweep of
// a process starting meanwhile leaves that file alone and removes only what no writer holds.
TEST(FileManager, TheSweepLeavesATemporaryFileThatALiveWriterHolds)
{
    testkit::TemporaryHome home;
    std::string folder = home.file("Documents");
    ASSERT_TRUE(FileManager::createDirectoryAtPath(folder, true));
    std::string live = folder + "/.main.xml.Live01";
    std::string stale = folder + "/.main.xml.Stale1";
    ASSERT_TRUE(FileManager::writeAtomically(live, "being written"));
    ASSERT_TRUE(FileManager::writeAtomically(stale, "left behind"));
    int writer = ::open(live.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    ASSERT_EQ(::flock(writer, LOCK_EX), 0);

    EXPECT_EQ(FileManager::removeStaleTemporaryFiles(folder), std::vector<std::string>{".main.xml.Stale1"});
    EXPECT_TRUE(FileManager::fileExistsAtPath(live));
    EXPECT_FALSE(FileManager::fileExistsAtPath(stale));
    // Once its writer has gone, it is stale too.
    ::close(writer);
    EXPECT_EQ(FileManager::removeStaleTemporaryFiles(folder), std::vector<std::string>{".main.xml.Live01"});
}

TEST(FileManager, StaleTemporaryFilesOfAtomicWritesAreRemovedAtStartUp)
{
    testkit::TemporaryHome home;
    struct Row
    {
        const char* path;
        bool removed;
    };
    const Row rows[] = {
        {"Documents/.main.xml.Ab3dE9", true},
        {"Documents/.image001.png.zzzzzz", true},
        {"Library/Preferences/.com.velmo.plist.000000", true},
        {"Device/.Contacts.vcf.ids.aB1cD2", true},
        {"Device/Mail/.mail-1.eml.QwErTy", true},
        {"Documents/main.xml", false},
        {"Documents/main.xml.unreadable", false},
        {"Documents/.main.xml", false},
        {"Documents/.main.xml.Ab3dE", false},  // five characters: not made by the atomic write
        {"Documents/.main.xml.Ab3d-9", false}, // not a letter or digit
        {"Documents/main.xml.Ab3dE9", false},  // no leading dot
        {"Documents/.hidden", false},
    };
    for (const auto& row : rows) {
        std::string path = home.file(row.path);
        ASSERT_TRUE(FileManager::createDirectoryAtPath(path.substr(0, path.rfind('/')), true));
        ASSERT_TRUE(FileManager::writeAtomically(path, "x"));
    }
    // A folder of that shape is not a temporary file, and is left alone.
    ASSERT_TRUE(FileManager::createDirectoryAtPath(home.file("Documents/.folder.abcdef"), true));
    // Nor is anything a link leads to outside the home.
    testkit::TemporaryHome outside;
    std::string elsewhere = outside.file("Documents/.kept.ABCDEF");
    ASSERT_TRUE(FileManager::writeAtomically(elsewhere, "x"));
    ASSERT_EQ(::symlink(outside.file("Documents").c_str(), home.file("Documents/link").c_str()), 0);
    ns::Sandbox::setHome(home.path());

    ns::LogCapture log;
    ns::Sandbox::removeStaleTemporaryFiles();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(FileManager::fileExistsAtPath(home.file(row.path)), !row.removed);
    }
    EXPECT_TRUE(log.contains(".main.xml.Ab3dE9 was removed: an interrupted save left it in " +
                             home.file("Documents")));
    EXPECT_TRUE(FileManager::fileExistsAtPath(home.file("Documents/.folder.abcdef")));
    EXPECT_TRUE(FileManager::fileExistsAtPath(elsewhere));
}
