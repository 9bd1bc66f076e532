// The exported entry points: lifecycle calls and the no-throw wrappers around
// the two script functions.
#include <new>

#include "../functions/script_functions.h"
#include "exception_state.h"
#include "script_interface.h"

namespace {

// Static for the library's lifetime; the host never frees it.
char functionList[] = "makeArray,getAverage,appendString_s,myScript_a,acceptBoolean_b";

// Nothing may unwind into the host: every failure becomes a return code.
template <typename Call>
long withoutThrowing(Call call) noexcept {
    // Where the runtime could not keep an exception's state, the failure is
    // reported before anything that could throw begins.
    const CallExceptionState exceptionState;
    if (!exceptionState.ready()) return ES_OUT_OF_MEMORY;
    try {
        return call();
    } catch (...) {
        // Only the heap can fail inside a script function (std::bad_alloc, or
        // std::length_error for a text longer than a string can hold).
        return ES_OUT_OF_MEMORY;
    }
}

}  // namespace

extern "C" char* ESInitialize(void*) { return functionList; }

extern "C" void ESTerminate(void) {}

extern "C" long ESGetVersion(void) { return 1; }

extern "C" long getSpecs(ScriptValue* args, long count, ScriptValue* result) {
    return withoutThrowing([&] { return runGetSpecs(args, count, result); });
}

extern "C" long sample(ScriptValue* args, long count, ScriptValue* result) {
    return withoutThrowing([&] { return runSample(args, count, result); });
}
