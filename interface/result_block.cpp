// Result text blocks and their release.
#include "result_block.h"

#include <cstring>

#include "script_interface.h"

char* getNewBuffer(std::string_view head, std::string_view tail) {
    const std::size_t size = head.size() + tail.size() + 1;
    // Every byte is written below, so the block comes out exactly as if it had
    // been zero-filled first and then filled.
    char* block = new char[size];
    if (!head.empty()) std::memcpy(block, head.data(), head.size());
    if (!tail.empty()) std::memcpy(block + head.size(), tail.data(), tail.size());
    block[size - 1] = '\0';
    return block;
}

char* getNewBuffer(const std::string& text) { return getNewBuffer(text, std::string_view()); }

extern "C" void ESFreeMem(void* block) {
    delete[] static_cast<char*>(block);
}
