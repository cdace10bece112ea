// Names that are no setjmp call: the header, the buffer type, the jump back,
// and the word setjmp in a comment.
#include <csetjmp>
extern "C" void Restore(void* frame) {
    std::longjmp(*static_cast<std::jmp_buf*>(frame), 1);
}
int my_setjmp_count = 0;
