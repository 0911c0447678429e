#include "sharing/core/SHKSharerClass.h"
#include "foundation/Data.h"
#include "foundation/URL.h"
#include "sharing/core/SHK.h"
#include "sharing/core/SHKFormFieldSettings.h"
#include "sharing/sharer/SHKSharer.h"
#include "sharing/sharer/SHKSharerDelegate.h"
#include "sharing/support/SharerFixture.h"
#include "sharing/support/TestSharer.h"

#include <gtest/gtest.h>

namespace {

using SharerClass = SharerFixture;

// A sharer class that answers differently in one query only: its id.
class RenamedSharerClass : public SHKSharerClass
{
public:
    std::string sharerId() const override { return "TestSharer"; }
};

TEST_F(SharerClass, TheBaseAnswersWithoutAnInstance)
{
    SHKSharerClass base;
    base.setClassName("SHKSharer");
    EXPECT_EQ(base.sharerTitle(), "");
    EXPECT_EQ(base.sharerId(), "SHKSharer");
    EXPECT_FALSE(base.canShareURL());
    EXPECT_FALSE(base.canShareText());
    EXPECT_FALSE(base.canShareImage());
    EXPECT_FALSE(base.canShareFile());
    EXPECT_FALSE(base.canGetUserInfo());
    EXPECT_TRUE(base.shareRequiresInternetConnection());
    EXPECT_TRUE(base.canShareOffline());
    EXPECT_TRUE(base.requiresAuthentication());
    EXPECT_TRUE(base.canAutoShare());
    EXPECT_TRUE(base.canShare());
    EXPECT_EQ(base.authorizationFormCaption(), std::nullopt);

    auto rows = base.authorizationFormFields();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]->label(), "Username");
    EXPECT_EQ(rows[0]->key(), "username");
    EXPECT_EQ(rows[0]->type(), SHKFormFieldTypeTextNoCorrect);
    EXPECT_EQ(rows[0]->start(), std::nullopt);
    EXPECT_EQ(rows[1]->label(), "Password");
    EXPECT_EQ(rows[1]->key(), "password");
    EXPECT_EQ(rows[1]->type(), SHKFormFieldTypePassword);
}

TEST_F(SharerClass, CanShareTypeAsksTheQueryOfTheType)
{
    TestSharer::answers().canGetUserInfo = true;
    SHKSharerClass base;
    auto test = SHKSharerClass::named("TestSharer");
    ASSERT_TRUE(test);
    struct Row
    {
        int type;
        bool base;
        bool test;
    };
    const Row rows[] = {{0, false, false}, {1, false, true}, {2, false, true},  {3, false, true},
                        {4, false, true},  {5, false, true}, {6, false, false}, {-1, false, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        EXPECT_EQ(base.canShareType(row.type), row.base);
        EXPECT_EQ(test->canShareType(row.type), row.test);
    }
}

TEST_F(SharerClass, SharersAreMadeByTheirRegisteredNameOnly)
{
    auto sharer = SHKSharer::sharerWithId("TestSharer");
    ASSERT_TRUE(sharer);
    EXPECT_EQ(sharer->className(), "TestSharer");
    EXPECT_EQ(sharer->sharerId(), "TestSharer");
    EXPECT_EQ(sharer->sharerTitle(), "Test Service");
    EXPECT_TRUE(ns::cast<SHKSharerDelegate>(sharer->shareDelegate()));
    ASSERT_TRUE(sharer->item());
    EXPECT_EQ(sharer->item()->shareType(), SHKShareTypeUndefined);
    EXPECT_EQ(sharer->pendingAction(), SHKAwaitNothing);
    EXPECT_FALSE(sharer->quiet());
    EXPECT_FALSE(SHKSharer::sharerWithId("SHKNoSuchSharer"));
    EXPECT_FALSE(SHKSharer::sharerWithId("VelmoAppDelegate"));
}

TEST_F(SharerClass, AnUnregisteredSharerAnswersAsTheBaseUnderItsName)
{
    auto sharer = SHKSharer::create();
    EXPECT_EQ(sharer->sharerId(), "SHKSharer");
    EXPECT_EQ(sharer->sharerTitle(), "");
    EXPECT_FALSE(sharer->validateItem()); // a new item has no type
    EXPECT_FALSE(sharer->send());
}

TEST_F(SharerClass, AnyStoredLoginValueAuthorises)
{
    auto sharer = TestSharer::create();
    EXPECT_FALSE(sharer->isAuthorized());
    EXPECT_FALSE(SHKSharerClass::named("TestSharer")->isServiceAuthorized());
    SHK::setAuthValue("bob", "username", "TestSharer"); // the password is missing
    EXPECT_TRUE(sharer->isAuthorized());
    EXPECT_TRUE(SHKSharerClass::named("TestSharer")->isServiceAuthorized());
    EXPECT_EQ(sharer->getAuthValueForKey("username"), "bob");
}

TEST_F(SharerClass, LogoutRemovesTheLoginValuesEvenOfASharerThatNeedsNoLogin)
{
    TestSharer::answers().requiresAuthentication = false;
    SHK::setAuthValue("bob", "username", "TestSharer");
    SHK::setAuthValue("secret", "password", "TestSharer");
    SHK::setAuthValue("other", "username", "SHKOther");
    auto sharer = TestSharer::create();
    EXPECT_TRUE(sharer->isAuthorized());
    SHK::logoutOfService("TestSharer");
    EXPECT_EQ(SHK::getAuthValueForKey("username", "TestSharer"), std::nullopt);
    EXPECT_EQ(SHK::getAuthValueForKey("password", "TestSharer"), std::nullopt);
    EXPECT_EQ(SHK::getAuthValueForKey("username", "SHKOther"), "other");
    EXPECT_TRUE(sharer->isAuthorized()); // needs none
}

TEST_F(SharerClass, TheIdentifierComesFromTheClassAnswers)
{
    SHKSharerClass::registerSharer<TestSharer, RenamedSharerClass>("SHKRenamed");
    auto meta = SHKSharerClass::named("SHKRenamed");
    ASSERT_TRUE(meta);
    EXPECT_EQ(meta->className(), "SHKRenamed");
    EXPECT_EQ(meta->sharerId(), "TestSharer");
    rt::ClassRegistry::shared().unregisterClass("SHKRenamed");
}

TEST_F(SharerClass, ValidateItemAsksWhatTheTypeNeeds)
{
    auto sharer = TestSharer::create();
    struct Row
    {
        const char* name;
        ns::Ref<SHKItem> item;
        bool valid;
    };
    auto noURL = SHKItem::create();
    noURL->setShareType(SHKShareTypeURL);
    auto noImage = SHKItem::create();
    noImage->setShareType(SHKShareTypeImage);
    auto noData = SHKItem::create();
    noData->setShareType(SHKShareTypeFile);
    auto accountInfo = SHKItem::create();
    accountInfo->setShareType(SHKShareTypeAccountInfo);
    auto strange = SHKItem::create();
    strange->setShareType(static_cast<SHKShareType>(9));
    const Row rows[] = {
        {"new item", SHKItem::create(), false},
        {"URL", SHKItem::URL(ns::URL::withString("http://example.com/")), true},
        {"URL without one", noURL, false},
        {"text", SHKItem::text(""), true},
        {"image without one", noImage, false},
        {"file", SHKItem::file(ns::Data::withString("x"), "a.txt", "text/plain", std::nullopt), true},
        {"file without data", noData, false},
        {"account info, class cannot", accountInfo, false},
        {"type 9", strange, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sharer->setItem(row.item);
        EXPECT_EQ(sharer->validateItem(), row.valid);
    }
    TestSharer::answers().canGetUserInfo = true;
    sharer->setItem(accountInfo);
    EXPECT_TRUE(sharer->validateItem());
}

} // namespace
