// Coverage-guided fuzzing of the platform-free routines (libFuzzer, under
// AddressSanitizer and UndefinedBehaviorSanitizer): the input is read as a
// stream of numbers and texts, and every routine is called with them. A crash,
// an out-of-bounds access or undefined behaviour is a finding; so is a
// result that breaks the routine's promised shape.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

#include "pure_promises.h"

using namespace orvi::test;

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}
    template <class T>
    T Number() {
        T value{};
        const std::size_t taken = std::min(sizeof value, size - at);
        std::memcpy(&value, data + at, taken);
        at += taken;
        return value;
    }
    double Date() {
        const double value = Number<double>();
        return std::isfinite(value) ? std::fmod(value, 4e6) : 0.0;
    }
    std::wstring Text() {
        const std::size_t length = std::min<std::size_t>(Number<std::uint8_t>(), (size - at) / 2);
        std::wstring text(length, L' ');
        for (wchar_t& c : text) c = static_cast<wchar_t>(Number<std::uint16_t>());
        return text;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input from(data, size);
    PureInputs in;
    in.text = from.Text();
    in.startTag = from.Text();
    in.endTag = from.Text();
    in.accuracy = from.Number<std::uint8_t>();
    in.keyLength = from.Number<std::int8_t>();
    in.part = from.Number<std::int8_t>();
    in.weekday = from.Number<std::int8_t>();
    in.days = from.Number<std::int32_t>();
    in.choice = from.Number<std::int32_t>();
    in.flag = from.Number<std::uint8_t>() & 1;
    in.number = from.Number<double>();
    in.first = from.Date();
    in.second = from.Date();
    if (const char* broken = BrokenPromise(in)) {
        std::fprintf(stderr, "broken promise: %s\n", broken);
        std::abort();
    }
    return 0;
}
