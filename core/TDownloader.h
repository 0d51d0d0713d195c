#pragma once
// Copies the resource at a URL (http, https, ftp or file) into a local file or
// into memory, blocking the calling thread until done. Meant for a worker
// thread: it never touches a user interface; progress and cancellation go
// through OnProgress.
//
// A transfer cannot hang for ever: the connection must be made within
// ConnectTimeoutMs, and a transfer slower than LowSpeedBytes per second for
// LowSpeedSeconds (a server that accepts and then stays silent, too) is
// abandoned. TotalTimeoutMs, when not 0, bounds each whole transfer (Get uses
// RequestTimeoutMs instead). TLS certificates and host names are always
// verified.
//
// A time-out or a 5xx answer is tried again, up to Tries attempts in all,
// after a pause of RetryPauseMs times the number of attempts made so far.
//
// One libcurl handle lives as long as the object and serves every transfer,
// so a walk over many addresses of one server reuses its connection (and its
// TLS session). Ownership: the handle is owned here; the object is not
// copyable. Threading: use one object from one thread at a time.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TDownloader {
public:
    TDownloader();
    ~TDownloader();
    TDownloader(const TDownloader&) = delete;
    TDownloader& operator=(const TDownloader&) = delete;

    static constexpr const char* UserAgent = "Tovisca/1.4.0";

    long ConnectTimeoutMs = 30000;
    long LowSpeedBytes = 1;
    long LowSpeedSeconds = 60;
    long TotalTimeoutMs = 0;
    long RequestTimeoutMs = 60000;
    int Tries = 3;
    long RetryPauseMs = 2000;
    int64_t MaxBytes = int64_t{1} << 30;

    // Called now and then with the bytes received and the size announced by
    // the server (0 when unknown), and with (0, 0) during a pause between
    // attempts. Returning false cancels the transfer.
    std::function<bool(int64_t received, int64_t total)> OnProgress;

    struct TResult {
        bool Ok = false;
        bool Cancelled = false;
        bool TimedOut = false;
        long HttpStatus = 0; // the last answer's status, 0 when none came
        int Attempts = 0;
        int64_t Bytes = 0;
        std::string Error; // libcurl's description of the failure
    };

    // On failure the file is removed.
    TResult Download(const std::string& url, const std::string& fileName);
    // The body of the answer, at most MaxBytes.
    TResult Get(const std::string& url, std::string& body);
    // Connections opened so far by this object's handle.
    long ConnectionsOpened() const { return connections_; }

    struct THandle;

private:
    struct TSink;
    TResult Transfer(const std::string& url, TSink& sink, long totalTimeoutMs);
    TResult TransferOnce(const std::string& url, TSink& sink, long totalTimeoutMs);

    std::unique_ptr<THandle> handle_;
    long connections_ = 0;
};
