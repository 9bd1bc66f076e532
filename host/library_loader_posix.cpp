// dlopen-based loading for the Linux build of the host.
#include <dlfcn.h>
#include <unistd.h>

#include <climits>

#include "library_loader.h"

LoadedLibrary::LoadedLibrary(const std::string& path) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        error_ = why != nullptr ? why : "dlopen failed";
    }
}

LoadedLibrary::~LoadedLibrary() {
    if (handle_ != nullptr) dlclose(handle_);
}

void* LoadedLibrary::symbol(const char* name) const { return dlsym(handle_, name); }

void* LoadedLibrary::imageStart(void* address) {
    Dl_info info{};
    return dladdr(address, &info) != 0 ? info.dli_fbase : nullptr;
}

std::string LoadedLibrary::defaultPath() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    std::string folder = ".";
    if (length > 0) {
        folder.assign(self, static_cast<std::size_t>(length));
        folder.erase(folder.find_last_of('/'));
    }
    return folder + "/" HOST_LIBRARY_FILE;
}
