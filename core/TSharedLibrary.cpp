#include "TSharedLibrary.h"

#include <dlfcn.h>

TSharedLibrary::TSharedLibrary(const std::string& soname) {
    handle_ = dlopen(soname.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        error_ = why != nullptr ? why : soname + ": cannot be loaded";
    }
}

void* TSharedLibrary::Address(const char* name) {
    if (handle_ == nullptr) return nullptr;
    dlerror();
    void* address = dlsym(handle_, name);
    if (address == nullptr) {
        const char* why = dlerror();
        error_ = why != nullptr ? why : std::string(name) + ": not found";
    }
    return address;
}
