#include "TDownloader.h"

#include "TLibraryNames.h"
#include "TSharedLibrary.h"

#include <curl/curl.h>

#include <cstdio>
#include <memory>

namespace {

// The functions of libcurl this file calls, from the library opened on the
// first download (its global initialisation done then, once).
struct TCurl {
    decltype(&curl_global_init) GlobalInit = nullptr;
    decltype(&curl_easy_init) EasyInit = nullptr;
    decltype(&curl_easy_setopt) EasySetopt = nullptr;
    decltype(&curl_easy_perform) EasyPerform = nullptr;
    decltype(&curl_easy_cleanup) EasyCleanup = nullptr;
    decltype(&curl_easy_strerror) EasyStrerror = nullptr;
    std::string Error; // why libcurl cannot be used; empty when it can
};

const TCurl& Curl() {
    static const TCurl curl = [] {
        static TSharedLibrary library(CurlLibrary);
        TCurl c;
        c.GlobalInit = library.Function<decltype(c.GlobalInit)>("curl_global_init");
        c.EasyInit = library.Function<decltype(c.EasyInit)>("curl_easy_init");
        c.EasySetopt = library.Function<decltype(c.EasySetopt)>("curl_easy_setopt");
        c.EasyPerform = library.Function<decltype(c.EasyPerform)>("curl_easy_perform");
        c.EasyCleanup = library.Function<decltype(c.EasyCleanup)>("curl_easy_cleanup");
        c.EasyStrerror = library.Function<decltype(c.EasyStrerror)>("curl_easy_strerror");
        if (!c.GlobalInit || !c.EasyInit || !c.EasySetopt || !c.EasyPerform || !c.EasyCleanup ||
            !c.EasyStrerror)
            c.Error = library.Error();
        else if (c.GlobalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            c.Error = "curl_global_init failed";
        return c;
    }();
    return curl;
}

struct EasyCloser {
    void operator()(CURL* c) const { Curl().EasyCleanup(c); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

struct Transfer {
    std::FILE* out = nullptr;
    int64_t bytes = 0;
    int64_t maxBytes = 0;
    bool writeFailed = false;
    bool tooLarge = false;
    bool cancelled = false;
    const std::function<bool(int64_t, int64_t)>* progress = nullptr;
};

size_t WriteData(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Transfer*>(user);
    const size_t n = size * count;
    if (t.bytes + static_cast<int64_t>(n) > t.maxBytes) {
        t.tooLarge = true;
        return 0;
    }
    if (std::fwrite(data, 1, n, t.out) != n) {
        t.writeFailed = true;
        return 0;
    }
    t.bytes += static_cast<int64_t>(n);
    return n;
}

int Progress(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
    auto& t = *static_cast<Transfer*>(user);
    if (*t.progress && !(*t.progress)(received, total)) {
        t.cancelled = true;
        return 1;
    }
    return 0;
}

} // namespace

TDownloader::TResult TDownloader::Download(const std::string& url, const std::string& fileName) const {
    const TCurl& api = Curl();
    TResult result;
    if (!api.Error.empty()) {
        result.Error = "libcurl: " + api.Error;
        return result;
    }
    std::unique_ptr<CURL, EasyCloser> curl(api.EasyInit());
    if (!curl) {
        result.Error = "curl_easy_init failed";
        return result;
    }
    std::unique_ptr<std::FILE, FileCloser> out(std::fopen(fileName.c_str(), "wb"));
    if (!out) {
        result.Error = "cannot create " + fileName;
        return result;
    }

    Transfer t;
    t.out = out.get();
    t.maxBytes = MaxBytes;
    t.progress = &OnProgress;
    char errorText[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    api.EasySetopt(c, CURLOPT_URL, url.c_str());
    api.EasySetopt(c, CURLOPT_PROTOCOLS_STR, "http,https,ftp,file");
    api.EasySetopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    api.EasySetopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    api.EasySetopt(c, CURLOPT_MAXREDIRS, 10L);
    api.EasySetopt(c, CURLOPT_FAILONERROR, 1L);
    api.EasySetopt(c, CURLOPT_NOSIGNAL, 1L);
    api.EasySetopt(c, CURLOPT_CONNECTTIMEOUT_MS, ConnectTimeoutMs);
    api.EasySetopt(c, CURLOPT_LOW_SPEED_LIMIT, LowSpeedBytes);
    api.EasySetopt(c, CURLOPT_LOW_SPEED_TIME, LowSpeedSeconds);
    api.EasySetopt(c, CURLOPT_TIMEOUT_MS, TotalTimeoutMs);
    api.EasySetopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxBytes));
    api.EasySetopt(c, CURLOPT_WRITEFUNCTION, WriteData);
    api.EasySetopt(c, CURLOPT_WRITEDATA, &t);
    api.EasySetopt(c, CURLOPT_NOPROGRESS, 0L);
    api.EasySetopt(c, CURLOPT_XFERINFOFUNCTION, Progress);
    api.EasySetopt(c, CURLOPT_XFERINFODATA, &t);
    api.EasySetopt(c, CURLOPT_ERRORBUFFER, errorText);
    api.EasySetopt(c, CURLOPT_USERAGENT, "Tovisca/1.4.0");

    const CURLcode code = api.EasyPerform(c);
    const bool closed = std::fclose(out.release()) == 0;
    result.Bytes = t.bytes;
    if (code == CURLE_OK && closed) {
        result.Ok = true;
        return result;
    }
    std::remove(fileName.c_str());
    result.Cancelled = t.cancelled;
    result.TimedOut = code == CURLE_OPERATION_TIMEDOUT;
    if (t.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
        result.Error = "file larger than " + std::to_string(MaxBytes) + " bytes";
    else if (t.writeFailed || (code == CURLE_OK && !closed))
        result.Error = "cannot write " + fileName;
    else
        result.Error = errorText[0] ? errorText : api.EasyStrerror(code);
    return result;
}
