// The exact integer arithmetic under the boolean cutter: the greatest common
// divisor and the comparison of fractions, each across the boundary between
// numbers that fit a machine word and numbers that need 128 bits.

#include "geometry/ExactPredicates.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace corvid::testing {
namespace {

using exact::i128;
using exact::u128;

u128 Euclid(u128 a, u128 b)
{
    while (b != 0)
        a = std::exchange(b, a % b);
    return a;
}

u128 Big(uint64_t high, uint64_t low) { return (u128(high) << 64) | low; }

TEST(ExactArithmetic, GcdAgreesWithEuclidOnEitherSideOfTheWord)
{
    const u128 common = Big(0, 0x1F3D5B79ull);  // an odd factor
    const std::vector<std::pair<u128, u128>> cases = {
        {0, 0},
        {0, 12},
        {Big(3, 0), 0},
        {12, 18},
        {1ull << 40, 1ull << 52},
        {~uint64_t{0}, ~uint64_t{0} - 1},
        // One in a word, one beyond: the remainder path.
        {Big(0x5A, 0x1234567890ABCDEFull), 6},
        {7 * common, Big(0x2, 0xFEDCBA9876543210ull) * common},
        {Big(1, 0), 1ull << 63},
        // Both beyond the word.
        {Big(0x10, 0) * 9, Big(0x10, 0) * 15},
        {Big(0x7FFF, 0x1) * common, Big(0x3, 0x77) * common},
    };
    for (const auto& [a, b] : cases) {
        EXPECT_TRUE(exact::Gcd(a, b) == Euclid(a, b)) << uint64_t(a) << " " << uint64_t(b);
        EXPECT_TRUE(exact::Gcd(b, a) == Euclid(a, b)) << uint64_t(a) << " " << uint64_t(b);
    }
    EXPECT_EQ(exact::Gcd64(0, 0), 0u);
    EXPECT_EQ(exact::Gcd64(48, 180), 12u);
    EXPECT_EQ(exact::Gcd64(~uint64_t{0}, 3), 3u);
}

TEST(ExactArithmetic, CompareFractionsDecidesTheLastUnit)
{
    const i128 word = INT64_MAX;
    const i128 beyond = i128(1) << 70;
    struct Case {
        i128 a, b, c, d;
        int sign;
    };
    const std::vector<Case> cases = {
        {1, 2, 3, 6, 0},
        {-1, 3, -1, 4, -1},
        {word - 1, word, word - 2, word - 1, 1},  // 1 - 1/w against 1 - 1/(w - 1)
        {-word, word, -1, 1, 0},
        {word, 1, word, 1, 0},
        {INT64_MIN, 1, INT64_MIN + 1, 1, -1},
        // Just past the word: the wide path.
        {i128(word) + 1, word, 1, 1, 1},
        {beyond + 1, beyond, beyond, beyond - 1, -1},  // 1 + 1/x against 1 + 1/(x - 1)
        {-beyond, 3, -beyond + 1, 3, -1},
        {beyond * 3, beyond, 3, 1, 0},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(exact::CompareFractions(k.a, k.b, k.c, k.d), k.sign)
            << int64_t(k.a) << "/" << int64_t(k.b) << " " << int64_t(k.c) << "/" << int64_t(k.d);
        EXPECT_EQ(exact::CompareFractions(k.c, k.d, k.a, k.b), -k.sign);
    }
}

} // namespace
} // namespace corvid::testing
