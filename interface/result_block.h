// Result text blocks: the only memory the library hands to the host.
#pragma once

#include <string>
#include <string_view>

// Makes a block of exactly text.size() + 1 bytes holding the text and its NUL,
// allocated as a byte array so that ESFreeMem's delete[] matches it.
// Throws std::bad_alloc when the heap is exhausted.
char* getNewBuffer(const std::string& text);

// The same for a text given in two pieces: one allocation and one pass over
// each piece, however long the text.
char* getNewBuffer(std::string_view head, std::string_view tail);
