#include "instruments/drvcore/SentParts.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// What is left to send of "abc" + "defg" + "hi" after a send took 'sent' bytes.
std::string LeftAfter(std::size_t sent, int& count) {
    char a[] = "abc";
    char b[] = "defg";
    char c[] = "hi";
    iovec parts[] = {{a, 3}, {b, 4}, {c, 2}};
    iovec* next = parts;
    count = 3;
    drvcore::SkipSentParts(next, count, sent);
    std::string left;
    for (int i = 0; i < count; ++i)
        left.append(static_cast<const char*>(next[i].iov_base), next[i].iov_len);
    return left;
}

TEST(SentParts, LeavesExactlyTheUnsentBytes) {
    struct SCase {
        std::size_t sent;
        const char* left;
        int count;
    };
    const SCase cases[] = {
        {0, "abcdefghi", 3}, {2, "cdefghi", 3}, {3, "defghi", 2}, {5, "fghi", 2}, {7, "hi", 1}, {9, "", 0},
    };
    for (const SCase& c : cases) {
        int count = 0;
        EXPECT_EQ(LeftAfter(c.sent, count), c.left) << c.sent;
        EXPECT_EQ(count, c.count) << c.sent;
    }
}

} // namespace
