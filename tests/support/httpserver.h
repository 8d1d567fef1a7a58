#pragma once
// A small HTTP/1.1 server on the loopback interface for the download tests, the download
// benchmark and tools/members-site. It answers one connection at a time from a script, records
// every request it received, and can send a body slowly or drop the connection halfway.
// Every reply closes its connection, and says so unless told not to.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

struct HttpRequest {
    std::string method;
    std::string target;                         // path and query, as sent
    std::map<std::string, std::string> headers; // names in lower case
    std::string Path() const { return target.substr(0, target.find('?')); }
    // A query value, percent-decoded; empty when absent.
    std::string Query(const std::string& key) const;
};

struct HttpReply {
    int status = 200;
    std::string body;
    std::filesystem::path bodyFile;     // sent from disk instead of `body` when set
    std::string location;               // the Location of a redirect
    bool sendLength = true;             // without it the body ends with the connection
    std::size_t chunk = 0;              // send the body in pieces of this size...
    std::chrono::milliseconds pause{0}; // ...with this pause before each piece
    std::int64_t dropAfter = -1;        // close the connection after this many body bytes
    // Says in the headers that the connection closes after the reply. Without it a client reads
    // the body of a redirect it follows, as it does to keep a connection for the next request.
    bool announceClose = true;

    static HttpReply Text(std::string body) {
        HttpReply r;
        r.body = std::move(body);
        return r;
    }
    static HttpReply Status(int status) {
        HttpReply r;
        r.status = status;
        r.body = "status " + std::to_string(status);
        return r;
    }
    static HttpReply Redirect(std::string location, int status = 302) {
        HttpReply r;
        r.status = status;
        r.location = std::move(location);
        return r;
    }
    static HttpReply File(std::filesystem::path path) {
        HttpReply r;
        r.bodyFile = std::move(path);
        return r;
    }
};

class HttpServer {
public:
    using Script = std::function<HttpReply(const HttpRequest&)>;

    // Listens on 127.0.0.1 at `port` (0: any free port) and serves from its own thread.
    explicit HttpServer(Script script, int port = 0);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    bool listening() const { return listenFd_ >= 0; }
    int Port() const { return port_; }
    std::string BaseUrl() const; // "http://127.0.0.1:<port>"
    std::vector<HttpRequest> Requests() const;
    // Stops serving; a reply being sent is cut off.
    void Stop();

private:
    void Serve();
    void Handle(int fd);
    bool SendAll(int fd, const char* data, std::size_t n);
    bool Pause(std::chrono::milliseconds d) const;

    Script script_;
    int listenFd_ = -1;
    int port_ = 0;
    int wakeFd_[2] = {-1, -1};
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<HttpRequest> requests_;
    std::thread thread_;
};

} // namespace testsupport
