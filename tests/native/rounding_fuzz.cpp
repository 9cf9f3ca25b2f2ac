// Random values through the half-away rounding: the result is within half a
// unit of the last place, lies on that place, is stable and symmetric.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "machine/pure/figures.h"

int main(int argc, char** argv) {
    const long runs = argc > 1 ? std::atol(argv[1]) : 1000;
    std::mt19937_64 random(20261208);
    std::uniform_real_distribution<double> mantissa(-10.0, 10.0);
    std::uniform_int_distribution<int> exponent(-12, 14), places(0, 2);
    long failures = 0;
    for (long i = 0; i < runs; ++i) {
        const double value = mantissa(random) * std::pow(10.0, exponent(random));
        const int decimals = places(random);
        const double rounded = orvi::machine::RoundHalfAway(value, decimals);
        const double unit = std::pow(10.0, -decimals);
        const double slack = std::fabs(value) * 1e-14 + 1e-300;
        const bool near = std::fabs(rounded - value) <= unit / 2 + slack;
        const double steps = rounded / unit;
        const bool onPlace = std::fabs(steps - std::round(steps)) <= std::fabs(steps) * 4e-16 + 1e-9;
        const bool stable = orvi::machine::RoundHalfAway(rounded, decimals) == rounded;
        const bool symmetric = orvi::machine::RoundHalfAway(-value, decimals) == -rounded || rounded == 0;
        if (!(near && onPlace && stable && symmetric)) {
            if (++failures <= 10) std::printf("value %.17g decimals %d gave %.17g\n", value, decimals, rounded);
        }
        const double bytes = std::ldexp(static_cast<double>(random() >> 11), exponent(random) + 20);
        if (!std::isfinite(orvi::machine::FormatMegabytes(bytes))) ++failures;
    }
    std::printf("%ld values, %ld failures\n", runs, failures);
    return failures == 0 ? 0 : 1;
}
