// Texts from Windows' UTF-16 interfaces as the UTF-8 the report carries.
#pragma once

#include <cstddef>
#include <string>

// `units` UTF-16 code units as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf8FromWide(const wchar_t* text, std::size_t units);
