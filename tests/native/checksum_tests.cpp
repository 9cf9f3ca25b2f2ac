// The resource digest against the standard's check value and zlib's figures.
#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "frame/pure/checksum.h"

using orvi::checksum::Crc32;

namespace {
std::uint32_t Of(std::string_view text) {
    return Crc32({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}
}  // namespace

TEST(Crc32, KnownValuesAndSensitivity) {
    EXPECT_EQ(0u, Of(""));
    EXPECT_EQ(0xCBF43926u, Of("123456789"));
    EXPECT_EQ(0x414FA339u, Of("The quick brown fox jumps over the lazy dog"));
    std::vector<std::uint8_t> zeros(45000, 0), flipped = zeros;
    flipped[22500] = 0x80;
    EXPECT_NE(Crc32(zeros), Crc32(flipped));
}
