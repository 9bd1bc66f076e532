// Result text blocks and their release.
#include "result_block.h"

#include <cstring>

#include "script_interface.h"

char* getNewBuffer(const std::string& text) {
    const std::size_t size = text.size() + 1;
    // Every byte is written by the copy below (c_str() carries the NUL), so the
    // block comes out exactly as if it had been zero-filled first.
    char* block = new char[size];
    std::memcpy(block, text.c_str(), size);
    return block;
}

extern "C" void ESFreeMem(void* block) {
    delete[] static_cast<char*>(block);
}
