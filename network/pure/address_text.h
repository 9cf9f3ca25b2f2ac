// How the network classes write addresses and error codes.
#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace orvi::network {

// Each byte as two uppercase hexadecimal digits, no separators.
std::wstring HexAddressText(std::span<const std::uint8_t> bytes);
// Each byte in decimal, joined by dots.
std::wstring DottedAddressText(std::span<const std::uint8_t> bytes);
// A number in decimal with a leading blank where a minus sign would go.
std::wstring SignedNumberText(long value);

}  // namespace orvi::network
