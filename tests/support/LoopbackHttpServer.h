#pragma once
// A tiny HTTP server on 127.0.0.1 for download tests: it answers GET with the
// bytes registered for the path (200) or 404, a status registered for a path
// (for its first `times` requests, then the bytes), or, for a silent path or
// in silent mode, accepts and never answers. An HTTP/1.1 request keeps its
// connection open for the next one (as the real servers do), so a test can
// see whether a client reuses it. Every connection is served on its own
// thread until the server is destroyed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class LoopbackHttpServer {
public:
    explicit LoopbackHttpServer(bool silent = false) : silent_(silent), listen_(BindLoopback(port_)) {
        ::listen(listen_, 16);
        thread_ = std::thread([this] { Serve(); });
    }
    ~LoopbackHttpServer() {
        stop_ = true;
        thread_.join();
        for (std::thread& connection : connections_) connection.join();
        ::close(listen_);
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void Add(const std::string& path, std::string body) {
        std::lock_guard lock(mutex_);
        files_[path] = std::move(body);
    }
    // The next `times` requests of the path get this status and no body.
    void AddStatus(const std::string& path, int status, int times = 1 << 30) {
        std::lock_guard lock(mutex_);
        statuses_[path] = {status, times};
    }
    // Requests of the path are never answered.
    void AddSilent(const std::string& path) {
        std::lock_guard lock(mutex_);
        silentPaths_.insert(path);
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    // Requests received (in silent mode: connections accepted).
    int Requests() const { return requests_; }
    int Connections() const { return accepted_; }
    // The paths asked, in order.
    std::vector<std::string> Paths() {
        std::lock_guard lock(mutex_);
        return paths_;
    }

    // A loopback port on which nothing listens (connections are refused).
    static int ClosedPort() {
        int port = 0;
        ::close(BindLoopback(port));
        return port;
    }

private:
    // A socket bound to a free loopback port, which is stored in `port`.
    static int BindLoopback(int& port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        return fd;
    }

    void Serve() {
        while (!stop_) {
            pollfd p{listen_, POLLIN, 0};
            const int fd = ::poll(&p, 1, 50) > 0 ? ::accept(listen_, nullptr, nullptr) : -1;
            if (fd < 0) continue;
            ++accepted_;
            if (silent_) ++requests_;
            connections_.emplace_back([this, fd] {
                Converse(fd);
                ::close(fd);
            });
        }
    }

    // Waits for readable data in short steps, so that the server can stop.
    bool Readable(int fd) const {
        while (!stop_) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 50) > 0) return true;
        }
        return false;
    }

    void Converse(int fd) {
        if (silent_) {
            while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            return;
        }
        std::string pending;
        char buffer[4096];
        for (;;) {
            size_t end = pending.find("\r\n\r\n");
            while (end == std::string::npos) {
                if (!Readable(fd)) return;
                const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
                if (n <= 0) return;
                pending.append(buffer, static_cast<size_t>(n));
                end = pending.find("\r\n\r\n");
            }
            const std::string request = pending.substr(0, end);
            pending.erase(0, end + 4);
            ++requests_;
            const size_t start = request.find(' ') + 1;
            const std::string path = request.substr(start, request.find(' ', start) - start);
            const bool keepAlive = request.find("HTTP/1.1") != std::string::npos &&
                                   request.find("Connection: close") == std::string::npos;
            std::string body = "not found", status = "404 Not Found";
            {
                std::lock_guard lock(mutex_);
                paths_.push_back(path);
                if (silentPaths_.count(path)) {
                    while (!stop_) {
                        mutex_.unlock();
                        std::this_thread::sleep_for(std::chrono::milliseconds(20));
                        mutex_.lock();
                    }
                    return;
                }
                if (auto coded = statuses_.find(path); coded != statuses_.end() && coded->second.second > 0) {
                    --coded->second.second;
                    status = std::to_string(coded->second.first) + " Status";
                    body.clear();
                } else if (const auto found = files_.find(path); found != files_.end()) {
                    body = found->second;
                    status = "200 OK";
                }
            }
            const std::string bytes = std::string(keepAlive ? "HTTP/1.1 " : "HTTP/1.0 ") + status +
                                      "\r\nContent-Length: " + std::to_string(body.size()) +
                                      (keepAlive ? "\r\n\r\n" : "\r\nConnection: close\r\n\r\n") + body;
            for (size_t sent = 0; sent < bytes.size();) {
                const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) return;
                sent += static_cast<size_t>(n);
            }
            if (!keepAlive) return;
        }
    }

    bool silent_;
    int port_ = 0;
    int listen_;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::atomic<int> accepted_{0};
    std::mutex mutex_;
    std::map<std::string, std::string> files_;
    std::map<std::string, std::pair<int, int>> statuses_;
    std::set<std::string> silentPaths_;
    std::vector<std::string> paths_;
    std::vector<std::thread> connections_;
    std::thread thread_;
};
