// The CRC-32 (IEEE 802.3, as zip and PNG use) of a byte range: the build
// records it for the resources the component checks before use.
#pragma once
#include <cstdint>
#include <span>

namespace orvi::checksum {

std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

}  // namespace orvi::checksum
