#include <csetjmp>
static std::jmp_buf frame;
int Stray() {
    if (setjmp (frame))
        return 1;
    return 0;
}
