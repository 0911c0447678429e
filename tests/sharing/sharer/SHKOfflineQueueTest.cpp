#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/FileManager.h"
#include "foundation/Log.h"
#include "foundation/Number.h"
#include "foundation/PropertyList.h"
#include "foundation/RunLoop.h"
#include "foundation/Sandbox.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "graphics/BitmapContext.h"
#include "sharing/core/SHK.h"
#include "sharing/sharer/SHKOfflineSharer.h"
#include "sharing/sharer/SHKSharer.h"
#include "sharing/support/SharerFixture.h"
#include "sharing/support/TestSharer.h"
#include "testing/BoundedChild.h"
#include "uikit/AlertView.h"
#include "uikit/Image.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

class OfflineQueue : public SharerFixture
{
protected:
    OfflineQueue() { SHK::setAuthValue("bob", "username", "TestSharer"); }
    ~OfflineQueue() override { waitForResends(); }

    std::string folder() { return home.file("Library/Caches/SHK"); }
    std::string listPath() { return folder() + "/SHKOfflineQueue.plist"; }
    std::string journalPath() { return folder() + "/SHKOfflineQueue.journal"; }

    // The queue's files as they are on disk, by name (the lock file and temporary files aside).
    std::map<std::string, std::string> onDisk()
    {
        std::map<std::string, std::string> files;
        auto names = ns::FileManager::contentsOfDirectoryAtPath(folder());
        for (const auto& name : names ? *names : std::vector<std::string>{})
            if (name != "SHKOfflineQueue.lock" && !ns::FileManager::isTemporaryFileName(name))
                files[name] = ns::FileManager::stringWithContentsOfFile(folder() + "/" + name).value_or("?");
        return files;
    }
    std::vector<std::string> uids()
    {
        std::vector<std::string> all;
        for (size_t i = 0; i < list()->count(); ++i)
            all.push_back(uidAt(i));
        return all;
    }

    ns::Ref<ns::MutableArray> list()
    {
        auto list = SHK::getOfflineQueueList();
        return list ? list : ns::MutableArray::make();
    }
    std::string uidAt(size_t index) { return *list()->objectAs<ns::Dictionary>(index)->stringForKey("uid"); }

    // Shares the item with a TestSharer while the device is offline.
    bool queue(const ns::Ref<SHKItem>& item)
    {
        net::Reachability::setNetworkOn(false);
        auto sharer = TestSharer::create();
        sharer->setQuiet(true);
        sharer->setItem(item);
        bool queued = sharer->tryToSend();
        net::Reachability::setNetworkOn(true);
        return queued;
    }

    // Runs the main loop (where each resend does its sharer work) until the resends have ended.
    void waitForResends()
    {
        auto queue = SHK::currentHelper()->offlineQueue();
        if (!queue)
            return;
        ASSERT_TRUE(ns::RunLoop::main().runUntil([queue] { return queue->operationCount() == 0; }, 20));
        settle();
    }

    void flush()
    {
        SHK::flushOfflineQueue();
        waitForResends();
    }

    static ns::Ref<ui::Image> picture()
    {
        auto context =
            cg::BitmapContext::create(4, 3, 8, 0, cg::ColorSpace::RGB, cg::AlphaInfo::NoneSkipFirst);
        return ui::Image::imageWithCGImage(context->makeImage());
    }

    static ns::Ref<ns::Dictionary> entry(const char* sharer, const char* uid)
    {
        return ns::Dictionary::withStrings({{"item", SHKItem::text("hi")->dictionaryRepresentation()},
                                            {"sharer", ns::String::make(sharer)},
                                            {"uid", ns::String::make(uid)}});
    }
};

TEST_F(OfflineQueue, NothingIsQueuedWhenOfflineSharingIsNotAllowed)
{
    configure("allowOffline", ns::Number::numberWithBool(false));
    EXPECT_FALSE(SHK::addToOfflineQueue(SHKItem::text("hi"), "TestSharer"));
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(listPath()));
}

TEST_F(OfflineQueue, EachShareIsAnEntryWithADataFileForImagesAndFiles)
{
    auto file = SHKItem::file(ns::Data::withString("file bytes"), "a.txt", "text/plain", "A file");
    ASSERT_TRUE(queue(SHKItem::URL(ns::URL::withString("http://example.com/"), "A page")));
    ASSERT_TRUE(queue(SHKItem::text("hello")));
    ASSERT_TRUE(queue(SHKItem::image(picture(), "A picture")));
    ASSERT_TRUE(queue(file));

    auto entries = list();
    ASSERT_EQ(entries->count(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        auto entry = entries->objectAs<ns::Dictionary>(i);
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->stringForKey("sharer"), "TestSharer");
        EXPECT_TRUE(entry->objectAs<ns::Dictionary>("item"));
        std::string prefix = "TestSharer-" + std::to_string(i + 1) + "-1300000000-";
        EXPECT_EQ(uidAt(i).substr(0, prefix.size()), prefix);
    }
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(folder() + "/" + uidAt(0)));
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(folder() + "/" + uidAt(1)));
    auto jpeg = ns::FileManager::contentsAtPath(folder() + "/" + uidAt(2));
    ASSERT_TRUE(jpeg);
    ASSERT_GE(jpeg->length(), 2u);
    EXPECT_EQ(jpeg->bytes()[0], 0xFF); // a JPEG's start-of-image mark
    EXPECT_EQ(jpeg->bytes()[1], 0xD8);
    auto bytes = ns::FileManager::contentsAtPath(folder() + "/" + uidAt(3));
    ASSERT_TRUE(bytes);
    EXPECT_TRUE(bytes->isEqual(*ns::Data::withString("file bytes")));
}

TEST_F(OfflineQueue, TwoSharesInOneSecondGetDistinctUids)
{
    ASSERT_TRUE(queue(SHKItem::text("one")));
    ASSERT_TRUE(queue(SHKItem::text("two")));
    ASSERT_EQ(list()->count(), 2u);
    EXPECT_NE(uidAt(0), uidAt(1));
    EXPECT_EQ(uidAt(0).substr(0, 24), uidAt(1).substr(0, 24)); // same sharer, type and second
}

TEST_F(OfflineQueue, WithTheNetworkBackTheFlushResendsAndRemovesEachShare)
{
    ASSERT_TRUE(queue(SHKItem::file(ns::Data::withString("file bytes"), "a.txt", "text/plain", "A file")));
    ASSERT_TRUE(queue(SHKItem::image(picture(), "A picture")));
    std::string fileUid = uidAt(0);
    std::string imageUid = uidAt(1);
    ASSERT_TRUE(ns::FileManager::fileExistsAtPath(folder() + "/" + fileUid));
    ASSERT_TRUE(ns::FileManager::fileExistsAtPath(folder() + "/" + imageUid));

    flush();
    auto& sent = TestSharer::sentItems();
    ASSERT_EQ(sent.size(), 2u);
    // The queue runs its resends side by side: find each by its type.
    for (const auto& item : sent) {
        ASSERT_TRUE(item);
        if (item->shareType() == SHKShareTypeFile) {
            ASSERT_TRUE(item->data());
            EXPECT_TRUE(item->data()->isEqual(*ns::Data::withString("file bytes")));
            EXPECT_EQ(item->filename(), "a.txt");
        } else {
            EXPECT_EQ(item->shareType(), SHKShareTypeImage);
            ASSERT_TRUE(item->image());
            EXPECT_EQ(item->image()->size().width, 4);
        }
    }
    EXPECT_EQ(list()->count(), 0u);
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(folder() + "/" + fileUid));
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(folder() + "/" + imageUid));
    EXPECT_TRUE(ui::AlertView::shownAlerts().empty()); // quiet
}

TEST_F(OfflineQueue, AResendThatDoesNotFinishStaysQueuedWithItsDataFile)
{
    using Outcome = TestSharer::Outcome;
    struct Row
    {
        const char* name;
        Outcome outcome;
        bool authorised;
        bool offlineAgain; // the network goes between the flush and the resend
        int sends;
    };
    const Row rows[] = {
        {"fails", Outcome::Fail, true, false, 1},
        {"asks for a new login", Outcome::Relogin, true, false, 1},
        {"does not start", Outcome::Refuse, true, false, 1},
        {"no longer authorised", Outcome::Finish, false, false, 0},
        {"offline again", Outcome::Finish, true, true, 0},
    };
    ASSERT_TRUE(queue(SHKItem::file(ns::Data::withString("file bytes"), "a.txt", "text/plain", "A file")));
    std::string uid = uidAt(0);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TestSharer::sentItems().clear();
        TestSharer::answers().outcome = row.outcome;
        if (!row.authorised)
            SHK::logoutOfService("TestSharer");
        SHK::flushOfflineQueue();
        if (row.offlineAgain)
            net::Reachability::setNetworkOn(false);
        waitForResends();
        net::Reachability::setNetworkOn(true);
        SHK::setAuthValue("bob", "username", "TestSharer");

        EXPECT_EQ(TestSharer::sentItems().size(), size_t(row.sends));
        ASSERT_EQ(list()->count(), 1u);
        EXPECT_EQ(uidAt(0), uid);
        EXPECT_TRUE(ns::FileManager::fileExistsAtPath(folder() + "/" + uid));
        EXPECT_FALSE(SHK::currentHelper()->isOfflineShareInFlight(uid));
    }
    // And it goes once a resend finishes.
    TestSharer::answers().outcome = Outcome::Finish;
    flush();
    EXPECT_EQ(list()->count(), 0u);
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(folder() + "/" + uid));
}

TEST_F(OfflineQueue, AFlushWithoutConnectionLeavesTheListUntouched)
{
    ASSERT_TRUE(queue(SHKItem::text("hello")));
    auto before = onDisk();
    net::Reachability::setNetworkOn(false);
    SHK::flushOfflineQueue();
    EXPECT_EQ(SHK::currentHelper()->offlineQueue(), nullptr);
    EXPECT_EQ(onDisk(), before);
}

TEST_F(OfflineQueue, AShareUnderWayIsNotStartedTwice)
{
    TestSharer::answers().outcome = TestSharer::Outcome::Finish;
    ASSERT_TRUE(queue(SHKItem::text("hello")));
    SHK::flushOfflineQueue();
    SHK::flushOfflineQueue(); // the first resend has not reached the main thread yet
    waitForResends();
    EXPECT_EQ(TestSharer::sentItems().size(), 1u);
    EXPECT_EQ(list()->count(), 0u);
}

TEST_F(OfflineQueue, AnUnreadableListIsSetAsideNeverRunAndNeverOverwritten)
{
    ns::LogCapture log;
    SHK::offlineQueuePath();
    ASSERT_TRUE(ns::FileManager::writeAtomically(listPath(), std::string_view("not a property list")));
    flush();
    EXPECT_TRUE(TestSharer::sentItems().empty());
    EXPECT_FALSE(ns::FileManager::fileExistsAtPath(listPath()));
    EXPECT_EQ(ns::FileManager::stringWithContentsOfFile(folder() + "/SHKOfflineQueue.corrupt.plist"),
              "not a property list");
    EXPECT_TRUE(log.contains("set aside"));

    // Adding beside another unreadable list keeps that one too.
    ASSERT_TRUE(ns::FileManager::writeAtomically(listPath(), std::string_view("<plist><dict>")));
    ASSERT_TRUE(queue(SHKItem::text("hello")));
    EXPECT_EQ(list()->count(), 1u);
    EXPECT_EQ(ns::FileManager::stringWithContentsOfFile(folder() + "/SHKOfflineQueue.corrupt-2.plist"),
              "<plist><dict>");
}

TEST_F(OfflineQueue, EntriesThatCannotBeReplayedAreSetAsideAndTheRestRuns)
{
    ns::LogCapture log;
    std::string outside = home.file("Documents/keep.txt");
    ASSERT_TRUE(ns::FileManager::writeAtomically(outside, std::string_view("mine")));
    rt::ClassRegistry::shared().registerClass<ns::String>("NotASharer");
    auto entries = ns::MutableArray::make();
    entries->addObject(entry("SHKNoSuchSharer", "a"));
    entries->addObject(entry("NotASharer", "b"));
    entries->addObject(entry("TestSharer", "../../../Documents/keep.txt"));
    entries->addObject(entry("TestSharer", "SHKOfflineQueue.plist"));
    entries->addObject(ns::String::make("not an entry"));
    entries->addObject(entry("TestSharer", "good"));
    ASSERT_TRUE(SHK::saveOfflineQueueList(entries));

    flush();
    ASSERT_EQ(TestSharer::sentItems().size(), 1u);
    EXPECT_EQ(TestSharer::sentItems()[0]->text(), "hi");
    EXPECT_EQ(list()->count(), 0u);
    EXPECT_EQ(ns::FileManager::stringWithContentsOfFile(outside), "mine");
    auto setAside = ns::cast<ns::Array>(
        ns::PropertyList::propertyListWithContentsOfFile(folder() + "/SHKOfflineQueue.setaside.plist"));
    ASSERT_TRUE(setAside);
    EXPECT_EQ(setAside->count(), 5u);
    EXPECT_TRUE(log.contains("cannot be replayed"));
    rt::ClassRegistry::shared().unregisterClass("NotASharer");
}

TEST_F(OfflineQueue, AQueueThatCannotBeWrittenIsNotReportedAsQueued)
{
    // The queue's folder is taken by a file: nothing can be written there.
    ASSERT_TRUE(ns::FileManager::writeAtomically(folder(), std::string_view("in the way")));
    EXPECT_FALSE(SHK::addToOfflineQueue(SHKItem::text("hello"), "TestSharer"));
    EXPECT_FALSE(
        SHK::addToOfflineQueue(SHKItem::file(ns::Data::withString("x"), "a", "b", "c"), "TestSharer"));

    // A sharer tells the user that the share needs the network after all.
    net::Reachability::setNetworkOn(false);
    auto sharer = TestSharer::create();
    sharer->setItem(SHKItem::text("hello"));
    EXPECT_TRUE(sharer->tryToSend());
    auto alerts = ui::AlertView::shownAlerts();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0]->title(), "Offline");
    alerts[0]->dismissWithClickedButtonIndex(0, false);
    sharer->setQuiet(true);
    EXPECT_FALSE(sharer->tryToSend());
    net::Reachability::setNetworkOn(true);
}

// A process killed while it writes leaves the queue as it was before the write.
TEST_F(OfflineQueue, AWriteKilledHalfwayLeavesThePreviousQueueWhole)
{
    ASSERT_TRUE(queue(SHKItem::text("first")));
    auto before = uids();
    std::string large(256 * 1024, 'x');
    struct Row
    {
        const char* name;
        ns::Ref<SHKItem> item;
    };
    const Row rows[] = {
        {"the list", SHKItem::text(large)},
        {"a data file", SHKItem::file(ns::Data::withString(large), "big", "text/plain", std::nullopt)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto outcome = testkit::BoundedChild::run(
            [&] {
                // Writing past this size kills the process, as a crash or a kill mid-write would.
                rlimit size{64 * 1024, 64 * 1024};
                ::setrlimit(RLIMIT_FSIZE, &size);
                return SHK::addToOfflineQueue(row.item, "TestSharer");
            },
            {});
        EXPECT_EQ(outcome.signal, SIGXFSZ) << outcome.describe();
        EXPECT_EQ(uids(), before);
    }
    // What the killed writes left are temporary files, which the device's start-up removes, and the
    // journal's cut-off record, which is not read, beside the journal and the lock.
    auto names = ns::FileManager::contentsOfDirectoryAtPath(folder());
    ASSERT_TRUE(names);
    for (const auto& name : *names)
        EXPECT_TRUE(name == "SHKOfflineQueue.journal" || name == "SHKOfflineQueue.lock" ||
                    ns::FileManager::isTemporaryFileName(name))
            << name;
    // The next share goes where the cut-off record began.
    ASSERT_TRUE(queue(SHKItem::text("second")));
    EXPECT_EQ(list()->count(), 2u);
    auto journal = ns::FileManager::stringWithContentsOfFile(journalPath()).value_or("");
    EXPECT_LT(journal.size(), 64u * 1024);
    EXPECT_EQ(journal.find(std::string(64, 'x')), std::string::npos);
}

// A list from before the journal is read as it is; the shares queued since follow it, and a whole write
// of the queue puts them all into the list again, which any reader of property lists can read.
TEST_F(OfflineQueue, TheListAndTheJournalMakeOneQueueInOrder)
{
    auto entries = ns::MutableArray::make();
    entries->addObject(entry("TestSharer", "old-1"));
    entries->addObject(entry("TestSharer", "old-2"));
    SHK::offlineQueuePath();
    ASSERT_TRUE(ns::PropertyList::writePropertyList(entries, listPath()));
    ASSERT_TRUE(queue(SHKItem::text("new")));
    std::string added = uidAt(2);
    EXPECT_EQ(uids(), (std::vector<std::string>{"old-1", "old-2", added}));
    auto listBefore = ns::FileManager::stringWithContentsOfFile(listPath());

    ASSERT_TRUE(SHK::removeFromOfflineQueue("old-1"));
    EXPECT_EQ(uids(), (std::vector<std::string>{"old-2", added}));
    EXPECT_EQ(ns::FileManager::stringWithContentsOfFile(listPath()), listBefore); // an add and a removal
                                                                                  // touch only the journal
    // Another process's share shows here too.
    auto outcome = testkit::BoundedChild::run(
        [] { return SHK::addToOfflineQueue(SHKItem::text("b"), "TestSharer"); }, {});
    ASSERT_TRUE(outcome.exited && outcome.status == 0) << outcome.describe();
    ASSERT_EQ(list()->count(), 3u);

    ASSERT_TRUE(SHK::saveOfflineQueueList(list()));
    EXPECT_EQ(ns::FileManager::contentsAtPath(journalPath())->length(), 0u);
    auto written = ns::cast<ns::Array>(ns::PropertyList::propertyListWithContentsOfFile(listPath()));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->count(), 3u);
    EXPECT_EQ(uids()[0], "old-2");
    EXPECT_EQ(uids()[1], added);
}

// The journal does not grow without end: once long, it goes into the list.
TEST_F(OfflineQueue, ALongJournalIsFoldedIntoTheList)
{
    std::string large(100 * 1024, 'x');
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(queue(SHKItem::text(large)));
    EXPECT_EQ(ns::FileManager::contentsAtPath(journalPath())->length(), 0u);
    auto written = ns::cast<ns::Array>(ns::PropertyList::propertyListWithContentsOfFile(listPath()));
    ASSERT_TRUE(written);
    EXPECT_EQ(written->count(), 3u);
    ASSERT_TRUE(SHK::removeFromOfflineQueue(uidAt(1)));
    EXPECT_EQ(list()->count(), 2u);

    // Another process empties the list: "long" is then measured against the short list it left, not
    // against the long one this process wrote before.
    auto outcome =
        testkit::BoundedChild::run([] { return SHK::saveOfflineQueueList(ns::MutableArray::make()); }, {});
    ASSERT_TRUE(outcome.exited && outcome.status == 0) << outcome.describe();
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(queue(SHKItem::text(large)));
    EXPECT_EQ(ns::FileManager::contentsAtPath(journalPath())->length(), 0u);
    EXPECT_EQ(list()->count(), 3u);
}

TEST_F(OfflineQueue, AnOperationEndsAtOnceWhenNoReportIsComing)
{
    TestSharer::answers().outcome = TestSharer::Outcome::Refuse;
    ASSERT_TRUE(queue(SHKItem::text("hello")));
    auto operation = SHKOfflineSharer::create(SHKItem::text("hello"), "TestSharer", uidAt(0));
    ns::OperationQueue queue;
    queue.addOperation(operation);
    ASSERT_TRUE(ns::RunLoop::main().runUntil([&] { return queue.operationCount() == 0; }, 20));
    EXPECT_TRUE(operation->readyToFinish());
    EXPECT_FALSE(operation->sent());
    ASSERT_TRUE(operation->sharer());
    EXPECT_EQ(operation->sharer()->shareDelegate(), nullptr);
    EXPECT_TRUE(operation->sharer()->quiet());
    EXPECT_EQ(list()->count(), 1u);
}

} // namespace
