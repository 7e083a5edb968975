#include "files/BinaryIo.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace corvid {
namespace {

TEST(ByteWriter, ChunkLengthIsPatchedOverItsPlaceholder)
{
    ByteWriter out;
    out.Byte(7);
    out.BeginChunk("CVDTST", -1, 2, 3);
    out.Int32(0x01020304);
    out.EndChunk();
    const auto& b = out.Bytes();
    ASSERT_EQ(b.size(), 1u + 23u + 4u);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.data() + 1)), "CVDTST");
    // a = -1 little-endian, then b, c, the length 27 and the body.
    EXPECT_EQ(b[8], 0xFF);
    EXPECT_EQ(b[12], 2);
    EXPECT_EQ(b[16], 3);
    EXPECT_EQ(b[20], 27);
    EXPECT_EQ(b[21], 0);
    EXPECT_EQ(b[24], 4);
    EXPECT_EQ(b[27], 1);
}

TEST(ByteReader, RefusesWhatIsNotThereAndKeepsItsPlace)
{
    const uint8_t bytes[] = {1, 0, 0, 0, 'a', 'b', 0, 'c'};
    ByteReader in(bytes, sizeof bytes);
    int32_t v = 0;
    ASSERT_TRUE(in.Int32(v));
    EXPECT_EQ(v, 1);
    std::string s;
    ASSERT_TRUE(in.String(s));
    EXPECT_EQ(s, "ab");
    // "c" has no terminator: refused, and the position stays.
    EXPECT_FALSE(in.String(s));
    EXPECT_EQ(in.Position(), 7u);
    EXPECT_FALSE(in.Int32(v));
    EXPECT_FALSE(in.Skip(2));
    EXPECT_TRUE(in.Skip(1));
    EXPECT_TRUE(in.AtEnd());
}

TEST(ByteReader, StringsLongerThan255AreRefused)
{
    std::vector<uint8_t> bytes(300, 'x');
    bytes[255] = 0;
    ByteReader in(bytes.data(), bytes.size());
    std::string s;
    ASSERT_TRUE(in.String(s));
    EXPECT_EQ(s.size(), 255u);
    bytes[255] = 'x';
    bytes[256] = 0;
    ByteReader longer(bytes.data(), bytes.size());
    EXPECT_FALSE(longer.String(s));
}

TEST(ByteReader, NonFiniteNumbersAreRefused)
{
    ByteWriter out;
    out.Float(1.5f);
    out.Float(std::numeric_limits<float>::quiet_NaN());
    out.Float(std::numeric_limits<float>::infinity());
    ByteReader in(out.Bytes().data(), out.Size());
    float f = 0;
    ASSERT_TRUE(in.Float(f));
    EXPECT_EQ(f, 1.5f);
    EXPECT_FALSE(in.Float(f));
    EXPECT_EQ(in.Position(), 4u);
    float two[2];
    EXPECT_FALSE(in.Floats(two, 2));
    EXPECT_EQ(in.Position(), 4u);
}

} // namespace
} // namespace corvid
