#include "foundation/UserDefaults.h"
#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Date.h"
#include "foundation/Dictionary.h"
#include "foundation/FileManager.h"
#include "foundation/Log.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/String.h"
#include "testing/TemporaryHome.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace ns;

TEST(UserDefaults, ValuesSurviveARestart)
{
    testkit::TemporaryHome home;
    {
        auto defaults = UserDefaults::standard();
        defaults->setObject(String::make("1.0"), "kRatingPromptCurrentVersion");
        defaults->setDouble(1300000000.5, "kRatingPromptFirstUseDate");
        defaults->setInteger(12, "kRatingPromptUseCount");
        defaults->setBool(true, "SHKFacebook_shouldAutoShare");
        defaults->setObject(Date::distantFuture(), "kSHKFacebookExpiryDate");
        defaults->setObject(Array::make({String::make("SHKMail"), String::make("SHKTwitter")}),
                            "SHKExcluded");
        defaults->setObject(Dictionary::withStrings({{"name", String::make("Ann")}}), "kSHKTwitterUserInfo");
        defaults->setObject(Data::withString("png"), "image");
        defaults->setObject(String::make("gone"), "removed");
        defaults->removeObjectForKey("removed");
        ASSERT_TRUE(defaults->synchronize());
        EXPECT_TRUE(FileManager::fileExistsAtPath(defaults->path()));
    }
    UserDefaults::resetStandard();
    auto defaults = UserDefaults::standard();
    EXPECT_EQ(defaults->stringForKey("kRatingPromptCurrentVersion"), "1.0");
    EXPECT_DOUBLE_EQ(defaults->doubleForKey("kRatingPromptFirstUseDate"), 1300000000.5);
    EXPECT_EQ(defaults->integerForKey("kRatingPromptUseCount"), 12);
    EXPECT_EQ(defaults->stringForKey("kRatingPromptUseCount"), "12");
    EXPECT_TRUE(defaults->boolForKey("SHKFacebook_shouldAutoShare"));
    EXPECT_TRUE(isEqual(defaults->objectForKey("kSHKFacebookExpiryDate"), Date::distantFuture()));
    ASSERT_TRUE(defaults->arrayForKey("SHKExcluded"));
    EXPECT_EQ(defaults->arrayForKey("SHKExcluded")->count(), 2u);
    EXPECT_EQ(defaults->dictionaryForKey("kSHKTwitterUserInfo")->stringForKey("name"), "Ann");
    EXPECT_EQ(defaults->dataForKey("image")->view(), "png");
    EXPECT_FALSE(defaults->objectForKey("removed"));
    // Absent keys and other kinds read as nothing, NO and 0.
    EXPECT_FALSE(defaults->stringForKey("missing"));
    EXPECT_FALSE(defaults->boolForKey("missing"));
    EXPECT_EQ(defaults->integerForKey("SHKExcluded"), 0);
    EXPECT_FALSE(defaults->dictionaryForKey("SHKExcluded"));
}

TEST(UserDefaults, ChangesWithoutSynchronizeAreNotWritten)
{
    testkit::TemporaryHome home;
    UserDefaults::standard()->setBool(true, "flag");
    UserDefaults::resetStandard();
    EXPECT_FALSE(UserDefaults::standard()->objectForKey("flag"));
}

TEST(UserDefaults, StoresACopyAndRefusesNonPropertyListValues)
{
    testkit::TemporaryHome home;
    auto defaults = UserDefaults::standard();
    auto list = MutableArray::make({String::make("a")});
    defaults->setObject(list, "list");
    list->addObject(String::make("b"));
    EXPECT_EQ(defaults->arrayForKey("list")->count(), 1u);

    LogCapture capture;
    defaults->setObject(Null::null(), "list");
    defaults->setObject(Dictionary::withStrings({{"a", Array::make({Null::null()})}}), "profile");
    EXPECT_EQ(capture.lines().size(), 2u);
    EXPECT_TRUE(capture.contains("non-property-list"));
    EXPECT_EQ(defaults->arrayForKey("list")->count(), 1u);
    EXPECT_FALSE(defaults->objectForKey("profile"));

    defaults->setObject(nullptr, "list"); // nothing removes
    EXPECT_FALSE(defaults->objectForKey("list"));
}

TEST(UserDefaults, CorruptFileGivesEmptyDefaultsAndIsKeptAside)
{
    testkit::TemporaryHome home;
    std::string path = UserDefaults::standard()->path();
    UserDefaults::resetStandard();
    const std::string damaged = "<?xml version=\"1.0\"?><plist><dict><key>a</key><string>b";
    ASSERT_TRUE(FileManager::writeAtomically(path, damaged));

    LogCapture capture;
    auto defaults = UserDefaults::standard();
    EXPECT_FALSE(defaults->objectForKey("a"));
    EXPECT_EQ(defaults->dictionaryRepresentation()->count(), 0u);
    EXPECT_EQ(capture.lines().size(), 1u);
    EXPECT_TRUE(defaults->synchronize()); // nothing changed: nothing written
    EXPECT_EQ(FileManager::stringWithContentsOfFile(path), damaged);

    defaults->setBool(true, "fresh");
    ASSERT_TRUE(defaults->synchronize());
    EXPECT_EQ(FileManager::stringWithContentsOfFile(path + ".corrupt"), damaged);
    UserDefaults::resetStandard();
    EXPECT_TRUE(UserDefaults::standard()->boolForKey("fresh"));
}

TEST(UserDefaults, IsSafeFromManyThreads)
{
    testkit::TemporaryHome home;
    auto defaults = UserDefaults::standard();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([defaults, t] {
            for (int i = 0; i < 200; ++i) {
                defaults->setInteger(i, "count" + std::to_string(t));
                defaults->integerForKey("count0");
                if (i % 50 == 0)
                    defaults->synchronize();
            }
        });
    for (auto& thread : threads)
        thread.join();
    ASSERT_TRUE(defaults->synchronize());
    UserDefaults::resetStandard();
    for (int t = 0; t < 4; ++t)
        EXPECT_EQ(UserDefaults::standard()->integerForKey("count" + std::to_string(t)), 199);
}
