// Loading a built library the way the script host does: one implementation per
// platform (dlopen or LoadLibrary), chosen by CMake.
#pragma once

#include <string>

class LoadedLibrary {
public:
    // Opens the library at `path`; on failure isOpen() is false and
    // error() says why.
    explicit LoadedLibrary(const std::string& path);
    ~LoadedLibrary();
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    bool isOpen() const { return handle_ != nullptr; }
    const std::string& error() const { return error_; }

    // Address of an exported name, or null.
    void* symbol(const char* name) const;

    // Where the loaded image that holds `address` starts in memory (its
    // header), or null: with an address, what a symbolizer needs.
    static void* imageStart(void* address);

    // The platform's library file beside the running host program.
    static std::string defaultPath();

private:
    void* handle_ = nullptr;
    std::string error_;
};
