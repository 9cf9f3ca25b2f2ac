// What the platform-free routines promise for any input: no crash, and
// results of the promised shape. Shared by the randomized harness and the
// coverage-guided one, which only differ in where their inputs come from.
#pragma once
#include <cstdint>
#include <string>

namespace orvi::test {

struct PureInputs {
    std::wstring text, startTag, endTag;
    std::uint8_t accuracy = 0;
    std::int32_t keyLength = 0, part = 0, weekday = 0, days = 0, choice = 0;
    bool flag = false;
    double number = 0, first = 0, second = 0;
};

// Calls every routine with the inputs; the first promise broken, or nullptr.
const char* BrokenPromise(const PureInputs& in);

}  // namespace orvi::test
