// Randomized inputs for the platform-free routines: no crash, no read or
// write out of bounds (under the sanitizers), results of the promised shape.
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "pure_promises.h"

using namespace orvi::test;

namespace {

std::wstring RandomText(std::mt19937& random, std::size_t maxLength) {
    static const wchar_t alphabet[] = L"abcAZmnrtBW  .\\/*?[]<>@0123\t\u00e9\u00df\u4e2d\uffff";
    std::uniform_int_distribution<std::size_t> length(0, maxLength), pick(0, sizeof alphabet / sizeof alphabet[0] - 2);
    std::wstring text(length(random), L' ');
    for (wchar_t& c : text) c = alphabet[pick(random)];
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const long rounds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000;
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> anyByte(0, 255), anyPart(-2, 5);
    std::uniform_real_distribution<double> anyDate(-700000, 3000000), anyNumber(-1e6, 1e6);
    for (long i = 0; i < rounds; ++i) {
        PureInputs in;
        in.text = RandomText(random, 24);
        in.startTag = RandomText(random, 3);
        in.endTag = RandomText(random, 3);
        in.accuracy = static_cast<std::uint8_t>(anyByte(random));
        in.keyLength = anyByte(random) % 12 - 2;
        in.part = anyPart(random);
        in.weekday = anyPart(random) + 2;
        in.days = anyByte(random) - 128;
        in.choice = anyByte(random) - 64;
        in.flag = i % 2 == 0;
        in.number = anyNumber(random);
        in.first = anyDate(random);
        in.second = anyDate(random);
        if (const char* broken = BrokenPromise(in)) {
            std::fprintf(stderr, "failed: %s\n", broken);
            std::printf("%ld rounds, failed\n", rounds);
            return 1;
        }
    }
    std::printf("%ld rounds, ok\n", rounds);
    return 0;
}
