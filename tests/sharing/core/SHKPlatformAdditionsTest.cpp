#include "sharing/core/SHKPlatformAdditions.h"

#include "foundation/Array.h"
#include "foundation/Data.h"
#include "foundation/Dictionary.h"
#include "foundation/HTTPCookieStorage.h"
#include "foundation/Null.h"
#include "foundation/Number.h"
#include "foundation/PropertyList.h"
#include "foundation/RunLoop.h"
#include "foundation/String.h"
#include "foundation/URL.h"
#include "uikit/WebView.h"

#include <gtest/gtest.h>

namespace {

ns::Id text(const char* value)
{
    return ns::String::make(value);
}

TEST(SHKPlatformAdditions, MD5OfData)
{
    struct Row
    {
        std::string bytes;
        const char* digest;
    };
    const Row rows[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {std::string("\0\xff", 2), "d07d34efac6328007ad67c7e0a985e00"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(md5(*ns::Data::withString(row.bytes)), row.digest);
}

TEST(SHKPlatformAdditions, NullsBecomeEmptyTextsAtEveryDepth)
{
    // A parsed reply: mutable containers, with an immutable one inside as another decoder may give.
    auto inner = ns::MutableDictionary::make();
    inner->setObject(ns::Null::null(), "bio");
    inner->setObject(ns::Number::numberWithInt(3), "count");
    auto list = ns::MutableArray::make({text("a"), ns::Null::null(), inner});
    auto frozen = ns::Array::make({ns::Null::null(), ns::Array::make({ns::Null::null()})});
    auto reply = ns::MutableDictionary::make();
    reply->setObject(ns::Null::null(), "name");
    reply->setObject(inner, "profile");
    reply->setObject(list, "list");
    reply->setObject(frozen, "frozen");
    reply->setObject(ns::Dictionary::withStrings({{"x", ns::Null::null()}}), "fixed");
    ASSERT_FALSE(ns::PropertyList::isValid(reply));

    convertNSNullsToEmptyStrings(*reply);

    EXPECT_EQ(reply->stringForKey("name"), "");
    EXPECT_EQ(reply->objectAs<ns::Dictionary>("profile"), inner); // changed in place
    EXPECT_EQ(inner->stringForKey("bio"), "");
    EXPECT_EQ(inner->objectAs<ns::Number>("count")->intValue(), 3);
    EXPECT_EQ(reply->objectAs<ns::Array>("list"), list);
    EXPECT_EQ(*ns::stringValue(list->objectAtIndex(1)), "");
    auto copied = reply->objectAs<ns::Array>("frozen");
    EXPECT_EQ(*ns::stringValue(copied->objectAtIndex(0)), "");
    EXPECT_EQ(*ns::stringValue(copied->objectAs<ns::Array>(1)->objectAtIndex(0)), "");
    EXPECT_EQ(reply->objectAs<ns::Dictionary>("fixed")->stringForKey("x"), "");
    // So the reply can be kept in the user defaults.
    EXPECT_TRUE(ns::PropertyList::isValid(reply));
}

TEST(SHKPlatformAdditions, DeletesTheCookiesOfOneAddress)
{
    auto& storage = ns::HTTPCookieStorage::shared();
    storage.deleteAllCookies();
    storage.setCookiesFromFields({"session=1; Path=/", "lang=en; Path=/"}, "https://login.example.com/");
    storage.setCookiesFromFields({"other=2; Path=/"}, "https://www.example.org/");
    ASSERT_EQ(storage.cookies().size(), 3u);

    deleteCookiesForURL(ns::URL::withString("https://login.example.com/oauth"));
    auto left = storage.cookies();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0]->name(), "other");
    deleteCookiesForURL(nullptr);
    EXPECT_EQ(storage.cookies().size(), 1u);
    storage.deleteAllCookies();
}

TEST(SHKPlatformAdditions, PageTitleAsksThePage)
{
    auto view = ui::WebView::create();
    view->loadHTMLString("<html><head><title>Signed in</title></head></html>", "https://example.com/");
    ns::RunLoop::main().runDue();
    EXPECT_EQ(pageTitle(*view), "Signed in");
    EXPECT_EQ(view->evaluatedScripts(), std::vector<std::string>{"document.title"});
}

} // namespace
