// The two script functions behind the exported names. They may throw
// std::bad_alloc; the exported wrappers turn that into a return code.
#pragma once

#include "../interface/script_interface.h"

// getSpecs: the one-line machine report.
long runGetSpecs(const ScriptValue* args, long count, ScriptValue* result);

// sample: the argument's text followed by the fixed suffix.
long runSample(const ScriptValue* args, long count, ScriptValue* result);
