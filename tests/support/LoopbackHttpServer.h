#pragma once
// A tiny HTTP/1.0 server on 127.0.0.1 for download tests: it answers GET with
// the bytes registered for the path (200) or 404, or, in silent mode, accepts
// connections and never answers. It runs on its own thread until destroyed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
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
        for (const int fd : held_) ::close(fd);
        ::close(listen_);
    }
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    void Add(const std::string& path, std::string body) {
        std::lock_guard lock(mutex_);
        files_[path] = std::move(body);
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    int Requests() const { return requests_; }

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
            ++requests_;
            if (silent_) {
                held_.push_back(fd);
            } else {
                Answer(fd);
                ::close(fd);
            }
        }
    }

    void Answer(int fd) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            pollfd p{fd, POLLIN, 0};
            const ssize_t n = ::poll(&p, 1, 5000) > 0 ? ::recv(fd, buffer, sizeof buffer, 0) : 0;
            if (n <= 0) return;
            request.append(buffer, static_cast<size_t>(n));
        }
        const size_t start = request.find(' ') + 1;
        std::string body = "not found", head = "HTTP/1.0 404 Not Found\r\n";
        {
            std::lock_guard lock(mutex_);
            if (const auto found = files_.find(request.substr(start, request.find(' ', start) - start));
                found != files_.end()) {
                body = found->second;
                head = "HTTP/1.0 200 OK\r\n";
            }
        }
        const std::string bytes =
            head + "Content-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        for (size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += static_cast<size_t>(n);
        }
    }

    bool silent_;
    int port_ = 0;
    int listen_;
    std::atomic<bool> stop_{false};
    std::atomic<int> requests_{0};
    std::mutex mutex_;
    std::map<std::string, std::string> files_;
    std::vector<int> held_;
    std::thread thread_;
};
