#include "foundation/ClassRegistry.h"
#include "foundation/Random.h"
#include "foundation/String.h"

#include <gtest/gtest.h>
#include <set>

namespace {

struct Titled : rt::MetaObject
{
    std::string title;
    explicit Titled(std::string t) : title(std::move(t)) {}
};

TEST(ClassRegistry, CreatesByNameAndAnswersClassQueries)
{
    auto& registry = rt::ClassRegistry::shared();
    registry.registerClass<ns::String>("TestText", std::make_shared<Titled>("Text"));
    EXPECT_TRUE(registry.classExists("TestText"));
    EXPECT_TRUE(registry.createAs<ns::String>("TestText"));
    EXPECT_EQ(registry.metaAs<Titled>("TestText")->title, "Text");
    EXPECT_FALSE(registry.create("NoSuchClass"));
    EXPECT_FALSE(registry.meta("NoSuchClass"));
    registry.unregisterClass("TestText");
    EXPECT_FALSE(registry.classExists("TestText"));
}

TEST(Random, UUIDsAreUpperCaseVersionFourAndRepeatableUnderAScope)
{
    std::string first;
    {
        ns::RandomScope scope(7);
        first = ns::UUIDString();
    }
    {
        ns::RandomScope scope(7);
        EXPECT_EQ(ns::UUIDString(), first);
    }
    ASSERT_EQ(first.size(), 36u);
    EXPECT_EQ(first[8], '-');
    EXPECT_EQ(first[14], '4');
    for (char c : first)
        EXPECT_TRUE(c == '-' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')) << first;
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i)
        seen.insert(ns::UUIDString());
    EXPECT_EQ(seen.size(), 100u);
}

} // namespace
