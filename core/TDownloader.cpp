#include "TDownloader.h"

#include <curl/curl.h>

#include <cstdio>
#include <memory>
#include <mutex>

namespace {

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyCloser {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
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
    GlobalInit();
    TResult result;
    std::unique_ptr<CURL, EasyCloser> curl(curl_easy_init());
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
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https,ftp,file");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(c, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, ConnectTimeoutMs);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, LowSpeedBytes);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, LowSpeedSeconds);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, TotalTimeoutMs);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(MaxBytes));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, WriteData);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Tovisca/1.4.0");

    const CURLcode code = curl_easy_perform(c);
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
        result.Error = errorText[0] ? errorText : curl_easy_strerror(code);
    return result;
}
