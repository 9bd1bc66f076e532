// sample: the argument's text with a fixed suffix appended.
#include <cstring>
#include <string>

#include "../interface/result_block.h"
#include "script_functions.h"

namespace {
constexpr char kSuffix[] = ", edited by Tovarin";
constexpr std::size_t kSuffixLength = sizeof kSuffix - 1;
}  // namespace

long runSample(const ScriptValue* args, long count, ScriptValue* result) {
    if (count != 1 || args == nullptr || result == nullptr) return ES_BAD_ARGUMENTS;
    if (args[0].type != ES_TYPE_STRING || args[0].data == nullptr) return ES_BAD_ARGUMENTS;

    const char* text = static_cast<const char*>(args[0].data);
    const std::size_t length = std::strlen(text);
    std::string working;
    working.reserve(length + kSuffixLength);  // one allocation, no regrowth
    working.append(text, length).append(kSuffix, kSuffixLength);

    char* block = getNewBuffer(working);
    result->type = ES_TYPE_STRING;
    result->data = block;
    return ES_OK;
}
