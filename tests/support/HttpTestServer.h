// A small HTTP/1.0 server on 127.0.0.1 (ephemeral port, own thread) for tests that fetch over
// the network: registered paths answer with their bodies; paths can be set to misbehave.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace yxtest {

class HttpTestServer {
public:
    enum class Mode {
        Serve,    // 200 with the registered body (404 when none is registered)
        Silent,   // accepts the connection, reads the request, never answers
        Junk,     // 200 with bytes that are no CRL
        NotFound, // 404
        Redirect, // 302 to the path's redirect target
    };

    HttpTestServer();
    ~HttpTestServer();
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    int port() const { return m_port; }
    // "http://127.0.0.1:<port>" + path
    std::string url(const std::string& path) const;

    void setBody(const std::string& path, const std::vector<unsigned char>& body);
    void setBody(const std::string& path, const std::string& body);
    void setMode(const std::string& path, Mode mode);
    void setRedirect(const std::string& path, const std::string& location);
    // The Content-Type a served path answers with (default application/pkix-crl).
    void setContentType(const std::string& path, const std::string& type);

    // Requests received for `path` (any mode), and for all paths.
    int requestCount(const std::string& path) const;
    int totalRequests() const;
    void resetCounts();

private:
    struct Conn;
    void run();
    bool handle(Conn& conn); // true when the connection is finished

    struct Route {
        Mode mode = Mode::Serve;
        std::optional<std::vector<unsigned char>> body; // none: 404
        std::string location;
        std::string contentType = "application/pkix-crl";
    };

    mutable std::mutex m_mu;
    std::map<std::string, Route> m_routes;
    std::map<std::string, int> m_counts;
    int m_total = 0;

    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace yxtest
