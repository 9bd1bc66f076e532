// sample: the argument's text with a fixed suffix appended.
#include <string_view>

#include "../interface/result_block.h"
#include "script_functions.h"

namespace {
constexpr std::string_view kSuffix = ", edited by Tovarin";
}  // namespace

long runSample(const ScriptValue* args, long count, ScriptValue* result) {
    if (count != 1 || args == nullptr || result == nullptr) return ES_BAD_ARGUMENTS;
    if (args[0].type != ES_TYPE_STRING || args[0].data == nullptr) return ES_BAD_ARGUMENTS;

    // The host's text is only read: one pass to find its end, one to copy it
    // straight into the result block behind which the suffix goes. A working
    // copy in between would double the passes and the allocations.
    const std::string_view text(static_cast<const char*>(args[0].data));
    char* block = getNewBuffer(text, kSuffix);
    result->type = ES_TYPE_STRING;
    result->data = block;
    return ES_OK;
}
