#include "address_text.h"
#include "frame/pure/numeric.h"

namespace orvi::network {

std::wstring HexAddressText(std::span<const std::uint8_t> bytes) {
    static constexpr wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text;
    text.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

std::wstring DottedAddressText(std::span<const std::uint8_t> bytes) {
    std::wstring text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty()) text += L'.';
        text += numeric::IntegerText(byte);
    }
    return text;
}

std::wstring SignedNumberText(long value) {
    return value < 0 ? numeric::IntegerText(value) : L" " + numeric::IntegerText(value);
}

}  // namespace orvi::network
