#pragma once
// A shared library opened when it is first needed (dlopen) rather than when
// the process starts. libcurl and libzip pull in some fifty libraries (TLS,
// Kerberos, LDAP, ...) whose loading and constructors cost every process
// several milliseconds, yet only downloads and ZIP archives use them.
//
// Ownership: the library stays loaded until the process ends (it is never
// closed: a library such as libcurl may keep threads or exit handlers).
// Threading: construct it once (for example as a function-local static);
// the const members may then be called from any thread.
#include <string>

class TSharedLibrary {
public:
    // soname: the name the dynamic linker looks up, such as "libcurl.so.4".
    explicit TSharedLibrary(const std::string& soname);
    TSharedLibrary(const TSharedLibrary&) = delete;
    TSharedLibrary& operator=(const TSharedLibrary&) = delete;

    bool Loaded() const { return handle_ != nullptr; }
    // Why the library or its last missing function could not be found.
    const std::string& Error() const { return error_; }

    // The function `name` of the library as a pointer of type F (for example
    // decltype(&curl_easy_init)), or nullptr with Error set.
    template <class F> F Function(const char* name) { return reinterpret_cast<F>(Address(name)); }

private:
    void* Address(const char* name);

    void* handle_ = nullptr;
    std::string error_;
};
