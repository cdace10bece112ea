#include <csetjmp>
inline int Point(std::jmp_buf& frame) { return setjmp(frame); }
