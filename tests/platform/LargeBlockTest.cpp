#include "platform/LargeBlock.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

namespace {

bool OnHugePage(const void* data) {
    return reinterpret_cast<std::uintptr_t>(data) % platform::HUGE_PAGE_BYTES == 0;
}

// The arrays of every large-data user are large blocks from the same size on.
TEST(LargeBlockTest, ArraysFromTheLargeBlockSizeOnStartOnAHugePage) {
    struct SCase {
        const char* name;
        std::size_t values;
    };
    const SCase cases[] = {
        {"exactly half a huge page", (std::size_t{1} << 20) / sizeof(double)},
        {"one huge page and a value", (std::size_t{2} << 20) / sizeof(double) + 1},
        {"a run's chunk", std::size_t{1} << 20},
        {"an imported column of 10 million", 10'000'000},
    };
    for (const SCase& c : cases) {
        platform::CLargeArray<double> values;
        values.reserve(c.values);
        EXPECT_TRUE(OnHugePage(values.data())) << c.name;
        values.resize(c.values);
        values.back() = 1.0;
        EXPECT_EQ(values.back(), 1.0) << c.name;
    }
}

TEST(LargeBlockTest, BuffersOfEverySizeHoldTheirBytes) {
    for (const std::size_t bytes : {std::size_t{1}, platform::LARGE_BLOCK_FROM - 1,
                                    platform::LARGE_BLOCK_FROM, platform::HUGE_PAGE_BYTES + 1}) {
        auto* buffer = static_cast<unsigned char*>(platform::AllocateBuffer(bytes));
        std::memset(buffer, 0xA5, bytes);
        EXPECT_EQ(buffer[bytes - 1], 0xA5) << bytes;
        if (bytes >= platform::LARGE_BLOCK_FROM) {
            EXPECT_TRUE(OnHugePage(buffer)) << bytes;
        }
        platform::FreeBuffer(buffer, bytes);
    }
}

// Values given to resize or assign are written; only the values no one gave are left as they are.
TEST(LargeBlockTest, GivenValuesAreWritten) {
    platform::CLargeArray<std::uint64_t> hash;
    hash.assign(platform::LARGE_BLOCK_FROM / sizeof(std::uint64_t), 7);
    hash.resize(hash.size() * 2, 0);
    EXPECT_EQ(hash.front(), 7u);
    EXPECT_EQ(hash.back(), 0u);
    platform::CLargeArray<std::string> texts(3);
    EXPECT_TRUE(texts[2].empty());
}

} // namespace
