#include "checksum.h"

namespace orvi::checksum {

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    // Half a byte at a time: a sixteen-entry table, small beside its speed.
    static constexpr std::uint32_t kNibbles[16] = {
        0x00000000, 0x1DB71064, 0x3B6E20C8, 0x26D930AC, 0x76DC4190, 0x6B6B51F4, 0x4DB26158, 0x5005713C,
        0xEDB88320, 0xF00F9344, 0xD6D6A3E8, 0xCB61B38C, 0x9B64C2B0, 0x86D3D2D4, 0xA00AE278, 0xBDBDF21C};
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const std::uint8_t byte : bytes) {
        crc = (crc >> 4) ^ kNibbles[(crc ^ byte) & 0xF];
        crc = (crc >> 4) ^ kNibbles[(crc ^ (byte >> 4)) & 0xF];
    }
    return ~crc;
}

}  // namespace orvi::checksum
