/* Run by scripts/setup in a scratch Wine prefix: if this 32-bit program
   prints its line and exits 0, the host runs 32-bit Windows code. */
#include <stdio.h>

int main(void) {
    printf("32-bit code runs here (pointers of %u bytes)\n", (unsigned)sizeof(void*));
    return sizeof(void*) == 4 ? 0 : 1;
}
