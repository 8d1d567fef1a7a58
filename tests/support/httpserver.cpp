#include "tests/support/httpserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fstream>
#include <utility>

namespace testsupport {
namespace {

const char* Reason(int status) {
    switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 307: return "Temporary Redirect";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string PercentDecode(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        int hi = -1, lo = -1;
        if (s[i] == '%' && i + 2 < s.size()) {
            hi = HexValue(s[i + 1]);
            lo = HexValue(s[i + 2]);
        }
        if (hi >= 0 && lo >= 0) {
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

} // namespace

std::string HttpRequest::Query(const std::string& key) const {
    std::size_t q = target.find('?');
    if (q == std::string::npos) return {};
    std::string query = target.substr(q + 1);
    std::size_t pos = 0;
    while (pos <= query.size()) {
        std::size_t amp = query.find('&', pos);
        std::string pair =
            query.substr(pos, amp == std::string::npos ? std::string::npos : amp - pos);
        std::size_t eq = pair.find('=');
        if (eq != std::string::npos && pair.substr(0, eq) == key)
            return PercentDecode(pair.substr(eq + 1));
        if (amp == std::string::npos) break;
        pos = amp + 1;
    }
    return {};
}

HttpServer::HttpServer(Script script, int port)
    : script_(std::move(script)) {
    if (::pipe2(wakeFd_, O_CLOEXEC) != 0) return;
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return;
    }
    listenFd_ = fd;
    port_ = ntohs(addr.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

HttpServer::~HttpServer() {
    Stop();
    for (int& fd : wakeFd_)
        if (fd >= 0) ::close(std::exchange(fd, -1));
}

void HttpServer::Stop() {
    if (stop_.exchange(true)) return;
    if (wakeFd_[1] >= 0) {
        char c = 1;
        [[maybe_unused]] auto n = ::write(wakeFd_[1], &c, 1);
    }
    if (thread_.joinable()) thread_.join();
    if (listenFd_ >= 0) ::close(std::exchange(listenFd_, -1));
}

std::string HttpServer::BaseUrl() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

std::vector<HttpRequest> HttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

// Waits `d`, or less when the server stops; false when it stopped.
bool HttpServer::Pause(std::chrono::milliseconds d) const {
    pollfd p{wakeFd_[0], POLLIN, 0};
    ::poll(&p, 1, static_cast<int>(d.count()));
    return !stop_;
}

void HttpServer::Serve() {
    while (!stop_) {
        pollfd p[2] = {{listenFd_, POLLIN, 0}, {wakeFd_[0], POLLIN, 0}};
        if (::poll(p, 2, -1) < 0) continue;
        if (stop_) break;
        if (!(p[0].revents & POLLIN)) continue;
        int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        Handle(fd);
        ::close(fd);
    }
}

bool HttpServer::SendAll(int fd, const char* data, std::size_t n) {
    while (n > 0 && !stop_) {
        ssize_t w = ::send(fd, data, n, MSG_NOSIGNAL);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        data += w;
        n -= static_cast<std::size_t>(w);
    }
    return n == 0;
}

void HttpServer::Handle(int fd) {
    std::string head;
    char buf[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
        pollfd p[2] = {{fd, POLLIN, 0}, {wakeFd_[0], POLLIN, 0}};
        if (::poll(p, 2, 5000) <= 0 || stop_) return;
        ssize_t r = ::recv(fd, buf, sizeof buf, 0);
        if (r <= 0) return;
        head.append(buf, static_cast<std::size_t>(r));
    }
    HttpRequest req;
    std::size_t lineEnd = head.find("\r\n");
    std::string requestLine = head.substr(0, lineEnd);
    std::size_t sp1 = requestLine.find(' ');
    std::size_t sp2 = requestLine.find(' ', sp1 + 1);
    if (sp1 == std::string::npos || sp2 == std::string::npos) return;
    req.method = requestLine.substr(0, sp1);
    req.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
    std::size_t pos = lineEnd + 2;
    while (pos < head.size()) {
        std::size_t end = head.find("\r\n", pos);
        if (end == std::string::npos || end == pos) break;
        std::string line = head.substr(pos, end - pos);
        std::size_t colon = line.find(':');
        if (colon != std::string::npos)
            req.headers[Lower(line.substr(0, colon))] = Trim(line.substr(colon + 1));
        pos = end + 2;
    }
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(req);
    }
    HttpReply reply = script_(req);

    std::ifstream file;
    std::int64_t size = static_cast<std::int64_t>(reply.body.size());
    if (!reply.bodyFile.empty()) {
        file.open(reply.bodyFile, std::ios::binary);
        std::error_code ec;
        size = static_cast<std::int64_t>(std::filesystem::file_size(reply.bodyFile, ec));
        if (ec || !file) size = 0;
    }
    std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " " + Reason(reply.status) +
                      "\r\nContent-Type: application/octet-stream\r\n";
    if (reply.announceClose) out += "Connection: close\r\n";
    if (reply.sendLength) out += "Content-Length: " + std::to_string(size) + "\r\n";
    if (!reply.location.empty()) out += "Location: " + reply.location + "\r\n";
    out += "\r\n";
    if (!SendAll(fd, out.data(), out.size())) return;
    if (req.method == "HEAD") return;

    std::int64_t limit = reply.dropAfter >= 0 ? std::min(reply.dropAfter, size) : size;
    std::vector<char> block(1 << 18);
    std::int64_t sent = 0;
    while (sent < limit) {
        std::size_t piece = static_cast<std::size_t>(std::min<std::int64_t>(
            limit - sent, reply.chunk > 0 ? static_cast<std::int64_t>(reply.chunk)
                                          : static_cast<std::int64_t>(block.size())));
        if (reply.pause.count() > 0 && !Pause(reply.pause)) return;
        const char* data;
        if (!reply.bodyFile.empty()) {
            piece = std::min(piece, block.size());
            file.read(block.data(), static_cast<std::streamsize>(piece));
            piece = static_cast<std::size_t>(file.gcount());
            if (piece == 0) return;
            data = block.data();
        } else {
            data = reply.body.data() + sent;
        }
        if (!SendAll(fd, data, piece)) return;
        sent += static_cast<std::int64_t>(piece);
    }
    ::shutdown(fd, SHUT_WR);
}

} // namespace testsupport
