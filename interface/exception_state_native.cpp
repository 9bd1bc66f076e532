// C++ runtimes whose exception state needs nothing from the heap beyond the
// reserve they set aside themselves (glibc's native thread-local storage): the
// call has nothing to hold.
#include "exception_state.h"

CallExceptionState::CallExceptionState() noexcept : ready_(true) {}

CallExceptionState::~CallExceptionState() = default;
