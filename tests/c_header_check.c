/* The boundary header must stay plain C, with the record laid out as hosts expect. */
#include <stddef.h>

#include "../interface/script_interface.h"

_Static_assert(offsetof(ScriptValue, data) == 0, "data at offset 0");
_Static_assert(offsetof(ScriptValue, type) == 8, "type at offset 8");
_Static_assert(sizeof(((ScriptValue*)0)->type) == sizeof(long), "type is the platform long");
