// Exceptions unwinding as the DLL's own do, with the C++ runtime the Windows
// builds link: thrown from inside the runtime (std::out_of_range, a string
// read past its end) and from code of ours that the runtime calls
// (std::bad_alloc, an operator new that refuses), each through a function
// whose clean-up calls out and then needs the registers the function kept, to
// a handler a frame up; each three times, as it was a second throw that came
// to the clean-up with a register lost when clang's code ran on GCC's unwinder.
// usage: windows_unwind_test
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <string>

namespace {

bool refuseNext = false;
const char* const longText = "longer than any string's own room for short text";

// Calls out on the way, as glfwTerminate does in the DLL's clean-ups.
struct CallsOut {
    ~CallsOut() { Sleep(0); }
};

__attribute__((noinline)) std::string throwThroughCleanUp(bool fromOurNew) {
    std::string text(longText);
    CallsOut callsOut;
    refuseNext = fromOurNew;
    if (fromOurNew) text.append(longText);
    else text.push_back(text.at(text.size()));
    return text;
}

}  // namespace

void* operator new(std::size_t size) {
    if (refuseNext) {
        refuseNext = false;
        throw std::bad_alloc();
    }
    if (void* block = std::malloc(size)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

int main() {
    int caught = 0;
    for (int round = 0; round < 6; ++round) {
        try {
            throwThroughCleanUp(round % 2 == 1);
            std::printf("FAIL round %d: nothing thrown\n", round);
        } catch (const std::exception&) {
            ++caught;
        }
    }
    std::printf("%d of 6 exceptions caught\n", caught);
    return caught == 6 ? 0 : 1;
}
