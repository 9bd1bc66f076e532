// Result text blocks: the only memory the library hands to the host.
#pragma once

#include <string>

// Makes a block of exactly text.size() + 1 bytes holding the text and its NUL,
// allocated as a byte array so that ESFreeMem's delete[] matches it.
// Throws std::bad_alloc when the heap is exhausted.
char* getNewBuffer(const std::string& text);
