#include "TDownloader.h"

#include "TLibraryNames.h"
#include "TSharedLibrary.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

namespace {

// The functions of libcurl this file calls, from the library opened on the
// first download (its global initialisation done then, once).
struct TCurl {
    decltype(&curl_global_init) GlobalInit = nullptr;
    decltype(&curl_easy_init) EasyInit = nullptr;
    decltype(&curl_easy_setopt) EasySetopt = nullptr;
    decltype(&curl_easy_perform) EasyPerform = nullptr;
    decltype(&curl_easy_cleanup) EasyCleanup = nullptr;
    decltype(&curl_easy_reset) EasyReset = nullptr;
    decltype(&curl_easy_getinfo) EasyGetinfo = nullptr;
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
        c.EasyReset = library.Function<decltype(c.EasyReset)>("curl_easy_reset");
        c.EasyGetinfo = library.Function<decltype(c.EasyGetinfo)>("curl_easy_getinfo");
        c.EasyStrerror = library.Function<decltype(c.EasyStrerror)>("curl_easy_strerror");
        if (!c.GlobalInit || !c.EasyInit || !c.EasySetopt || !c.EasyPerform || !c.EasyCleanup || !c.EasyReset ||
            !c.EasyGetinfo || !c.EasyStrerror)
            c.Error = library.Error();
        else if (c.GlobalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            c.Error = "curl_global_init failed";
        return c;
    }();
    return curl;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

} // namespace

// The easy handle: its connection cache keeps the server's connection open
// between transfers.
struct TDownloader::THandle {
    CURL* curl = nullptr;
    ~THandle() {
        if (curl) Curl().EasyCleanup(curl);
    }
};

// Where the body goes: a file (created anew for every attempt) or a string.
struct TDownloader::TSink {
    std::string fileName;
    std::string* body = nullptr;
    std::unique_ptr<std::FILE, FileCloser> out;
    int64_t bytes = 0;
    int64_t maxBytes = 0;
    bool writeFailed = false;
    bool tooLarge = false;
    bool cancelled = false;
    const std::function<bool(int64_t, int64_t)>* progress = nullptr;

    bool Restart() {
        bytes = 0;
        writeFailed = tooLarge = cancelled = false;
        if (body) {
            body->clear();
            return true;
        }
        out.reset(std::fopen(fileName.c_str(), "wb"));
        return out != nullptr;
    }
    bool Close() { return !out || std::fclose(out.release()) == 0; }
};

namespace {

template <class Sink> size_t WriteTo(char* data, size_t size, size_t count, void* user) {
    auto& t = *static_cast<Sink*>(user);
    const size_t n = size * count;
    if (t.bytes + static_cast<int64_t>(n) > t.maxBytes) {
        t.tooLarge = true;
        return 0;
    }
    if (t.body) {
        t.body->append(data, n);
    } else if (std::fwrite(data, 1, n, t.out.get()) != n) {
        t.writeFailed = true;
        return 0;
    }
    t.bytes += static_cast<int64_t>(n);
    return n;
}

template <class Sink> int ProgressOf(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
    auto& t = *static_cast<Sink*>(user);
    if (*t.progress && !(*t.progress)(received, total)) {
        t.cancelled = true;
        return 1;
    }
    return 0;
}

} // namespace

TDownloader::TDownloader() = default;
TDownloader::~TDownloader() = default;

TDownloader::TResult TDownloader::Download(const std::string& url, const std::string& fileName) {
    TSink sink;
    sink.fileName = fileName;
    TResult result = Transfer(url, sink, TotalTimeoutMs);
    if (!result.Ok) std::remove(fileName.c_str());
    return result;
}

TDownloader::TResult TDownloader::Get(const std::string& url, std::string& body) {
    TSink sink;
    sink.body = &body;
    TResult result = Transfer(url, sink, RequestTimeoutMs);
    if (!result.Ok) body.clear();
    return result;
}

TDownloader::TResult TDownloader::Transfer(const std::string& url, TSink& sink, long totalTimeoutMs) {
    TResult result;
    for (int attempt = 1;; ++attempt) {
        result = TransferOnce(url, sink, totalTimeoutMs);
        result.Attempts = attempt;
        const bool again = !result.Ok && !result.Cancelled && (result.TimedOut || result.HttpStatus >= 500);
        if (!again || attempt >= Tries) return result;
        // A growing pause, cut into short steps so that a stop is seen at once.
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(RetryPauseMs * attempt);
        while (std::chrono::steady_clock::now() < until) {
            if (OnProgress && !OnProgress(0, 0)) {
                result.Cancelled = true;
                return result;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
}

TDownloader::TResult TDownloader::TransferOnce(const std::string& url, TSink& sink, long totalTimeoutMs) {
    const TCurl& api = Curl();
    TResult result;
    if (!api.Error.empty()) {
        result.Error = "libcurl: " + api.Error;
        return result;
    }
    if (!handle_) {
        auto handle = std::make_unique<THandle>();
        handle->curl = api.EasyInit();
        if (!handle->curl) {
            result.Error = "curl_easy_init failed";
            return result;
        }
        handle_ = std::move(handle);
    }
    if (!sink.Restart()) {
        result.Error = "cannot create " + sink.fileName;
        return result;
    }
    sink.maxBytes = MaxBytes;
    sink.progress = &OnProgress;

    char errorText[CURL_ERROR_SIZE] = {};
    CURL* c = handle_->curl;
    // Options back to their defaults; the connection cache stays.
    api.EasyReset(c);
    api.EasySetopt(c, CURLOPT_URL, url.c_str());
    api.EasySetopt(c, CURLOPT_PROTOCOLS_STR, "http,https,ftp,file");
    api.EasySetopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    api.EasySetopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    api.EasySetopt(c, CURLOPT_MAXREDIRS, 10L);
    api.EasySetopt(c, CURLOPT_FAILONERROR, 1L);
    api.EasySetopt(c, CURLOPT_NOSIGNAL, 1L);
    api.EasySetopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
    api.EasySetopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
    api.EasySetopt(c, CURLOPT_ACCEPT_ENCODING, "");
    api.EasySetopt(c, CURLOPT_CONNECTTIMEOUT_MS, ConnectTimeoutMs);
    api.EasySetopt(c, CURLOPT_LOW_SPEED_LIMIT, LowSpeedBytes);
    api.EasySetopt(c, CURLOPT_LOW_SPEED_TIME, LowSpeedSeconds);
    api.EasySetopt(c, CURLOPT_TIMEOUT_MS, totalTimeoutMs);
    api.EasySetopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxBytes));
    api.EasySetopt(c, CURLOPT_WRITEFUNCTION, WriteTo<TSink>);
    api.EasySetopt(c, CURLOPT_WRITEDATA, &sink);
    api.EasySetopt(c, CURLOPT_NOPROGRESS, 0L);
    api.EasySetopt(c, CURLOPT_XFERINFOFUNCTION, ProgressOf<TSink>);
    api.EasySetopt(c, CURLOPT_XFERINFODATA, &sink);
    api.EasySetopt(c, CURLOPT_ERRORBUFFER, errorText);
    api.EasySetopt(c, CURLOPT_USERAGENT, UserAgent);

    const CURLcode code = api.EasyPerform(c);
    long status = 0;
    if (api.EasyGetinfo(c, CURLINFO_RESPONSE_CODE, &status) == CURLE_OK) result.HttpStatus = status;
    long connects = 0;
    if (api.EasyGetinfo(c, CURLINFO_NUM_CONNECTS, &connects) == CURLE_OK) connections_ += connects;
    const bool closed = sink.Close();
    result.Bytes = sink.bytes;
    if (code == CURLE_OK && closed) {
        result.Ok = true;
        return result;
    }
    result.Cancelled = sink.cancelled;
    result.TimedOut = code == CURLE_OPERATION_TIMEDOUT;
    if (sink.tooLarge || code == CURLE_FILESIZE_EXCEEDED)
        result.Error = "file larger than " + std::to_string(MaxBytes) + " bytes";
    else if (sink.writeFailed || (code == CURLE_OK && !closed))
        result.Error = "cannot write " + sink.fileName;
    else
        result.Error = errorText[0] ? errorText : api.EasyStrerror(code);
    return result;
}
