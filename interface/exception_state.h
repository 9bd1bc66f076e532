// What the C++ runtime keeps for the exceptions in flight on the calling
// thread, held by each script function call for its whole duration. Each build
// links one implementation, chosen by CMake.
#pragma once

// Made before anything in the call can throw, gone after the last catch. When
// it is not ready, an exception on this thread could not be thrown safely, and
// the call must report the failure without starting anything that can throw.
class CallExceptionState {
public:
    CallExceptionState() noexcept;
    ~CallExceptionState();
    CallExceptionState(const CallExceptionState&) = delete;
    CallExceptionState& operator=(const CallExceptionState&) = delete;

    bool ready() const noexcept { return ready_; }

private:
    // Room for the runtime's per-thread record where the build keeps it in the
    // call (mingw: the C++ ABI's __cxa_eh_globals, two words), and what the
    // call stands in for while it runs. Unused by the other builds.
    [[maybe_unused]] void* record_[2] = {};
    [[maybe_unused]] void* outer_ = nullptr;
    bool ready_ = false;
};
