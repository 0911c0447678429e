#include "foundation/NotificationCenter.h"
#include "foundation/Dictionary.h"
#include "foundation/String.h"

#include <gtest/gtest.h>

namespace {

TEST(NotificationCenter, DeliversByNameAndSenderAndStopsAfterRemoval)
{
    auto& center = ns::NotificationCenter::defaultCenter();
    auto sender = ns::String::make("sharer");
    auto other = ns::String::make("other");
    int any = 0, fromSender = 0, everything = 0;
    int observer = 0;
    center.addObserver(&observer, "SHKSendDidFinish", nullptr, [&](const ns::Notification&) { ++any; });
    center.addObserver(&observer, "SHKSendDidFinish", sender.get(), [&](const ns::Notification& n) {
        EXPECT_EQ(n.object(), sender);
        ++fromSender;
    });
    center.addObserver(&observer, "", nullptr, [&](const ns::Notification&) { ++everything; });

    center.postNotification("SHKSendDidFinish", sender);
    center.postNotification("SHKSendDidFinish", other);
    center.postNotification("Unrelated");
    EXPECT_EQ(any, 2);
    EXPECT_EQ(fromSender, 1);
    EXPECT_EQ(everything, 3);

    center.removeObserver(&observer, "SHKSendDidFinish");
    center.postNotification("SHKSendDidFinish", sender);
    EXPECT_EQ(any, 2);
    EXPECT_EQ(everything, 4);
    center.removeObserver(&observer);
    center.postNotification("Unrelated");
    EXPECT_EQ(everything, 4);
}

TEST(NotificationCenter, AnObserverRemovedDuringAPostIsNotCalled)
{
    auto& center = ns::NotificationCenter::defaultCenter();
    int first = 0, second = 0;
    int a = 0, b = 0;
    center.addObserver(&a, "N", nullptr, [&](const ns::Notification&) {
        ++first;
        center.removeObserver(&b);
    });
    center.addObserver(&b, "N", nullptr, [&](const ns::Notification&) { ++second; });
    center.postNotification("N");
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 0);
    center.removeObserver(&a);
}

TEST(NotificationRecorder, KeepsNamesAndUserInfo)
{
    ns::NotificationRecorder recorder;
    ns::NotificationCenter::defaultCenter().postNotification(
        "SHKAuthDidFinish", nullptr, ns::Dictionary::withStrings({{"success", ns::String::make("1")}}));
    ASSERT_EQ(recorder.names(), std::vector<std::string>{"SHKAuthDidFinish"});
    EXPECT_EQ(*recorder.notifications()[0]->userInfo()->stringForKey("success"), "1");
}

} // namespace
