// C++ runtimes whose exception path needs nothing from the heap beyond the
// reserve they set aside themselves: nothing to prepare.
#include "exception_readiness.h"

bool prepareThreadForExceptions() noexcept { return true; }
