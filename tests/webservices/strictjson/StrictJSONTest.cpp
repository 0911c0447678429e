#include "TraceTesting.h"

#include "webservices/strictjson/StrictJSON.h"
#include "webservices/strictjson/StrictJsonCategories.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/Log.h"
#include "foundation/Number.h"
#include "foundation/String.h"

#include <gtest/gtest.h>

#include <limits>

TEST(StrictJSON, StartsWith512AndSetsBothParts)
{
    StrictJSON json;
    EXPECT_EQ(json.maxDepth(), 512u);
    EXPECT_FALSE(json.humanReadable());
    EXPECT_FALSE(json.sortKeys());

    json.setMaxDepth(2);
    EXPECT_EQ(json.maxDepth(), 2u);
    EXPECT_TRUE(json.objectWithString("[[1]]"));
    EXPECT_FALSE(json.objectWithString("[[[1]]]"));
    EXPECT_TRUE(json.stringWithObject(ns::Array::make({ns::Array::make()})));
    EXPECT_FALSE(json.stringWithObject(ns::Array::make({ns::Array::make({ns::Array::make()})})));
    EXPECT_EQ(traceLines(json), std::vector<std::string>({"7 Nested too deep"}));
}

TEST(StrictJSON, CopiesTheFailingPartsTrace)
{
    StrictJSON json;
    EXPECT_FALSE(json.objectWithString(R"({"\u12x4":1})"));
    EXPECT_EQ(traceLines(json),
              std::vector<std::string>({"6 Missing hex digit in quad", "6 Missing hex quad",
                                        "6 Broken unicode character", "3 Object key string expected"}));
    ASSERT_TRUE(json.errorTrace());
    EXPECT_TRUE(json.errorTrace()->isMutable());

    // A later success leaves no stale trace behind.
    EXPECT_TRUE(json.objectWithString("{}"));
    EXPECT_FALSE(json.errorTrace());

    EXPECT_FALSE(json.stringWithObject(ns::String::make("x")));
    EXPECT_EQ(traceLines(json), std::vector<std::string>({"4 Not valid type for JSON"}));
}

TEST(StrictJSON, HandsBackTheOutermostError)
{
    StrictJSON json;
    ns::Ref<ns::Error> error;
    EXPECT_FALSE(json.objectWithString("[01]", &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), StrictJsonErrorToken);
    EXPECT_EQ(error->localizedDescription(), "Expected value while parsing array");
    ASSERT_TRUE(error->underlyingError());
    EXPECT_EQ(error->underlyingError()->localizedDescription(), "Leading 0 disallowed in number");

    error.reset();
    EXPECT_FALSE(json.objectWithString("\"x\"", &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), StrictJsonErrorFragment);

    error.reset();
    auto fragment = json.fragmentWithString("\"x\"", &error);
    EXPECT_TRUE(ns::stringValue(fragment));
    EXPECT_FALSE(error);

    EXPECT_EQ(json.stringWithFragment(ns::Number::numberWithInt(7), &error), "7");
    EXPECT_FALSE(json.stringWithObject(ns::Number::numberWithInt(7), &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), StrictJsonErrorFragment);

    json.setHumanReadable(true);
    json.setSortKeys(true);
    auto value = ns::Dictionary::make(
        {{ns::String::make("b"), ns::Number::numberWithInt(1)}, {ns::String::make("a"), ns::Array::make()}});
    EXPECT_EQ(json.stringWithObject(value, &error), "{\n  \"a\" : [],\n  \"b\" : 1\n}");
}

TEST(StrictJSON, CategoriesLogTheirFailures)
{
    ns::LogCapture log;
    auto value = JSONValue(R"({"a":[1,2]})");
    ASSERT_TRUE(ns::cast<ns::Dictionary>(value));
    EXPECT_EQ(JSONRepresentation(value), R"({"a":[1,2]})");
    EXPECT_EQ(JSONFragment(ns::String::make("x")), "\"x\"");
    EXPECT_TRUE(ns::cast<ns::Number>(JSONFragmentValue("12")));
    EXPECT_TRUE(log.lines().empty());

    EXPECT_FALSE(JSONValue("12"));
    EXPECT_TRUE(log.contains("-JSONValue failed. Error trace is: "));
    EXPECT_TRUE(log.contains("Valid fragment, but not JSON"));
    EXPECT_FALSE(JSONFragmentValue("[1,"));
    EXPECT_TRUE(log.contains("-JSONFragmentValue failed. Error trace is: "));
    EXPECT_FALSE(JSONRepresentation(ns::String::make("x")));
    EXPECT_TRUE(log.contains("-JSONRepresentation failed. Error trace is: "));
    EXPECT_FALSE(JSONFragment(
        ns::Array::make({ns::Number::numberWithDouble(std::numeric_limits<double>::infinity())})));
    EXPECT_TRUE(log.contains("-JSONFragment failed. Error trace is: "));
}

TEST(StrictJSON, TheDeepestFailureChainIsSafeToHoldAndRelease)
{
    ns::Ref<ns::Error> error;
    {
        StrictJSON json;
        json.setMaxDepth(0);
        std::size_t levels = StrictJsonBase::HardDepthLimit + 1;
        EXPECT_FALSE(json.objectWithString(std::string(levels, '[') + std::string(levels, ']'), &error));
        ASSERT_TRUE(json.errorTrace());
        EXPECT_EQ(json.errorTrace()->count(), levels);
    }
    ASSERT_TRUE(error);
    std::size_t links = 0;
    for (auto inner = error; inner; inner = inner->underlyingError())
        ++links;
    EXPECT_EQ(links, StrictJsonBase::HardDepthLimit + 1);
    error.reset();
}
