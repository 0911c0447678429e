#include "webservices/jk/JKAllocator.h"

#include "foundation/Array.h"
#include "foundation/Dictionary.h"
#include "foundation/Number.h"
#include "webservices/jk/JSONDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// A text of many small values, enough to fill several of the decoder's chunks.
std::string manyValues(int count)
{
    std::string text = "[";
    for (int i = 0; i < count; ++i)
        text += (i ? ",{\"n\":" : "{\"n\":") + std::to_string(i) + ".5,\"s\":\"value " + std::to_string(i) +
                "\",\"a\":[" + std::to_string(i) + "]}";
    return text + "]";
}

double sumOf(const ns::Id& tree)
{
    double sum = 0;
    auto array = ns::cast<ns::Array>(tree);
    for (std::size_t i = 0; i < array->count(); ++i)
        sum += ns::cast<ns::Number>(ns::cast<ns::Dictionary>(array->objectAtIndex(i))->objectForKey("n"))
                   ->doubleValue();
    return sum;
}

} // namespace

TEST(JKAllocator, BlocksAreAlignedAndDistinct)
{
    std::vector<void*> blocks;
    std::set<uintptr_t> starts;
    std::mt19937 random(7);
    for (int i = 0; i < 20000; ++i) {
        std::size_t bytes = 1 + random() % jk_arena::LargestBlock;
        void* block = jk_arena::allocate(bytes);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % alignof(std::max_align_t), 0u);
        EXPECT_TRUE(starts.insert(reinterpret_cast<uintptr_t>(block)).second);
        std::fill_n(static_cast<unsigned char*>(block), bytes, 0xA5);
        blocks.push_back(block);
    }
    std::shuffle(blocks.begin(), blocks.end(), random);
    for (void* block : blocks)
        jk_arena::free(block);
}

TEST(JKAllocator, TreesOutliveTheirDecoderAndDieOnAnyThread)
{
    std::string text = manyValues(3000);
    double expected = 0;
    for (int i = 0; i < 3000; ++i)
        expected += i + 0.5;

    // Decoded here, released on another thread, while this thread goes on cutting from the same chunk.
    ns::Id tree;
    {
        JSONDecoder decoder;
        tree = decoder.objectWithUTF8String(text.data(), text.size());
    }
    ASSERT_TRUE(tree);
    std::thread releaser([moved = std::move(tree)]() mutable {
        EXPECT_EQ(sumOf(moved), 3000.0 * 3000.0 / 2);
        moved = nullptr;
    });
    JSONDecoder decoder;
    ns::Id other = decoder.objectWithUTF8String(text.data(), text.size());
    releaser.join();
    EXPECT_EQ(sumOf(other), expected);

    // Decoded on threads that end before their trees are released.
    std::vector<ns::Id> trees(4);
    std::vector<std::thread> decoders;
    for (auto& slot : trees)
        decoders.emplace_back([&text, &slot] {
            JSONDecoder own;
            slot = own.mutableObjectWithUTF8String(text.data(), text.size());
        });
    for (auto& thread : decoders)
        thread.join();
    for (const auto& decoded : trees) {
        ASSERT_TRUE(decoded);
        EXPECT_EQ(sumOf(decoded), expected);
        ns::cast<ns::MutableArray>(decoded)->addObject(ns::Number::numberWithInt(1));
    }
}
