#include "HttpTestServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace yxtest {
namespace {

int bindLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(addr.sin_port);
    return fd;
}

void sendAll(int fd, const std::string& out) {
    size_t off = 0;
    while (off < out.size()) {
        const ssize_t n = ::send(fd, out.data() + off, out.size() - off, MSG_NOSIGNAL);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            return; // the client went away
        }
        off += static_cast<size_t>(n);
    }
}

std::string responseHead(int code, const char* reason, size_t length, const std::string& extra = "",
                         const std::string& type = "application/pkix-crl") {
    return "HTTP/1.0 " + std::to_string(code) + " " + reason +
           "\r\nContent-Length: " + std::to_string(length) + "\r\nContent-Type: " + type +
           "\r\nConnection: close\r\n" + extra + "\r\n";
}

} // namespace

struct HttpTestServer::Conn {
    int fd = -1;
    std::string request;
    bool silent = false; // answered with silence: kept open until the client gives up
};

HttpTestServer::HttpTestServer() {
    m_listen = bindLoopback(m_port);
    if (m_listen < 0 || ::listen(m_listen, 128) != 0 || ::pipe2(m_wake, O_CLOEXEC) != 0)
        throw std::runtime_error("HttpTestServer: cannot listen on 127.0.0.1");
    m_thread = std::thread([this] { run(); });
}

HttpTestServer::~HttpTestServer() {
    m_stop = true;
    // Should the wake-up byte not go through, the thread notices m_stop at its next poll time-out.
    [[maybe_unused]] const ssize_t woke = ::write(m_wake[1], "", 1);
    if (m_thread.joinable())
        m_thread.join();
    ::close(m_listen);
    ::close(m_wake[0]);
    ::close(m_wake[1]);
}

std::string HttpTestServer::url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void HttpTestServer::setBody(const std::string& path, const std::vector<unsigned char>& body) {
    std::lock_guard lock(m_mu);
    m_routes[path].body = body;
}

void HttpTestServer::setBody(const std::string& path, const std::string& body) {
    setBody(path, std::vector<unsigned char>(body.begin(), body.end()));
}

void HttpTestServer::setMode(const std::string& path, Mode mode) {
    std::lock_guard lock(m_mu);
    m_routes[path].mode = mode;
}

void HttpTestServer::setRedirect(const std::string& path, const std::string& location) {
    std::lock_guard lock(m_mu);
    Route& r = m_routes[path];
    r.mode = Mode::Redirect;
    r.location = location;
}

void HttpTestServer::setContentType(const std::string& path, const std::string& type) {
    std::lock_guard lock(m_mu);
    m_routes[path].contentType = type;
}

int HttpTestServer::requestCount(const std::string& path) const {
    std::lock_guard lock(m_mu);
    auto it = m_counts.find(path);
    return it == m_counts.end() ? 0 : it->second;
}

int HttpTestServer::totalRequests() const {
    std::lock_guard lock(m_mu);
    return m_total;
}

void HttpTestServer::resetCounts() {
    std::lock_guard lock(m_mu);
    m_counts.clear();
    m_total = 0;
}

void HttpTestServer::run() {
    std::vector<Conn> conns;
    while (!m_stop) {
        std::vector<pollfd> fds = {{m_wake[0], POLLIN, 0}, {m_listen, POLLIN, 0}};
        for (const Conn& c : conns)
            fds.push_back({c.fd, POLLIN, 0});
        if (::poll(fds.data(), fds.size(), 500) < 0 && errno != EINTR)
            break;
        if (fds[1].revents & POLLIN) {
            const int fd = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd >= 0)
                conns.push_back(Conn{fd, {}, false});
        }
        // Walk the connections that were polled (new ones are polled next round).
        std::vector<Conn> keep;
        for (size_t i = 0; i < conns.size(); ++i) {
            Conn& c = conns[i];
            const size_t slot = i + 2;
            bool done = false;
            if (slot < fds.size() && fds[slot].revents) {
                char buf[4096];
                const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
                if (n <= 0) {
                    done = true; // client closed (a silent connection ends here)
                } else if (!c.silent) {
                    c.request.append(buf, static_cast<size_t>(n));
                    if (c.request.find("\r\n\r\n") != std::string::npos || c.request.size() > 65536)
                        done = handle(c);
                }
            }
            if (done)
                ::close(c.fd);
            else
                keep.push_back(c);
        }
        conns.swap(keep);
    }
    for (const Conn& c : conns)
        ::close(c.fd);
}

bool HttpTestServer::handle(Conn& c) {
    // "GET /path HTTP/1.x"
    std::string path = "/";
    const auto sp1 = c.request.find(' ');
    const auto sp2 = sp1 == std::string::npos ? sp1 : c.request.find(' ', sp1 + 1);
    if (sp2 != std::string::npos)
        path = c.request.substr(sp1 + 1, sp2 - sp1 - 1);

    Route route;
    {
        std::lock_guard lock(m_mu);
        ++m_counts[path];
        ++m_total;
        if (auto it = m_routes.find(path); it != m_routes.end())
            route = it->second;
    }
    switch (route.mode) {
    case Mode::Silent:
        c.silent = true;
        return false;
    case Mode::Junk: {
        const std::string junk = "<html><body>this is not a CRL</body></html>\n";
        sendAll(c.fd, responseHead(200, "OK", junk.size()) + junk);
        return true;
    }
    case Mode::Redirect:
        // With a page of its own, as servers send: it must not become part of the body.
        sendAll(c.fd, responseHead(302, "Found", 5, "Location: " + route.location + "\r\n") + "moved");
        return true;
    case Mode::NotFound:
        break;
    case Mode::Serve:
        if (route.body) {
            sendAll(c.fd, responseHead(200, "OK", route.body->size(), "", route.contentType) +
                              std::string(route.body->begin(), route.body->end()));
            return true;
        }
        break;
    }
    sendAll(c.fd, responseHead(404, "Not Found", 0));
    return true;
}

} // namespace yxtest
