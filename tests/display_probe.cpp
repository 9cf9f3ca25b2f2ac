// Prints why the display device context cannot be used in this run and
// exits 1, or exits 0 where it can; the script tests skip by its answer.
#include <cstdio>

#include "display_context.h"

int main() {
    const char* gap = orvi::test::DisplayContextGap();
    if (!gap) return 0;
    std::puts(gap);
    return 1;
}
