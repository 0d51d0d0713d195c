#pragma once
// Copies the resource at a URL (http, https, ftp or file) into a local file,
// blocking the calling thread until done. Meant for a worker thread: it never
// touches a user interface; progress and cancellation go through OnProgress.
//
// A transfer cannot hang for ever: the connection must be made within
// ConnectTimeoutMs, and a transfer slower than LowSpeedBytes per second for
// LowSpeedSeconds (a server that accepts and then stays silent, too) is
// abandoned. TotalTimeoutMs, when not 0, bounds the whole transfer.
#include <cstdint>
#include <functional>
#include <string>

class TDownloader {
public:
    long ConnectTimeoutMs = 30000;
    long LowSpeedBytes = 1;
    long LowSpeedSeconds = 60;
    long TotalTimeoutMs = 0;
    int64_t MaxBytes = int64_t{1} << 30;

    // Called now and then with the bytes received and the size announced by
    // the server (0 when unknown). Returning false cancels the transfer.
    std::function<bool(int64_t received, int64_t total)> OnProgress;

    struct TResult {
        bool Ok = false;
        bool Cancelled = false;
        bool TimedOut = false;
        int64_t Bytes = 0;
        std::string Error; // libcurl's description of the failure
    };

    // On failure the file is removed.
    TResult Download(const std::string& url, const std::string& fileName) const;
};
