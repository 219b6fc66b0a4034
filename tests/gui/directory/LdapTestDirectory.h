// A directory that answers the search dialog instead of an LDAP server: per host a result code
// and certificates, every call recorded, and a gate that holds queries to play a slow server.
// Certificates it hands out count themselves, so tests see who deleted them.
#pragma once

#include "DigitalCertificate.h"
#include "DirectorySearch.h"
#include "TestPki.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace yxtest {

class CountedCert : public CDigitalCertificate {
public:
    explicit CountedCert(const Bytes& der)
        : CDigitalCertificate(reinterpret_cast<const char*>(der.data()), static_cast<int>(der.size()), DER) {
        ++alive;
    }
    ~CountedCert() override { --alive; }
    static inline std::atomic<int> alive{0};
};

class FakeDirectory {
public:
    struct Call {
        std::string host;
        std::string name;
        std::string email;
    };
    struct Host {
        int rc = 0;
        std::vector<Bytes> certs;
    };

    // Set up before a search starts; read by the worker.
    std::map<std::string, Host> hosts;

    std::vector<Call> calls() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }
    int waiting() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_waiting;
    }
    void hold() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held = true;
    }
    void release() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_held = false;
        }
        m_cv.notify_all();
    }

    yx::directory::HostQuery query() {
        return [this](const std::string& host, const std::string& name, const std::string& email,
                      yx::OwnedCerts& found) {
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_calls.push_back({host, name, email});
                ++m_waiting;
                m_cv.wait(lock, [this] { return !m_held; });
                --m_waiting;
            }
            const auto it = hosts.find(host);
            if (it == hosts.end())
                return 3; // cannot connect
            if (it->second.rc != 0)
                return it->second.rc;
            for (const Bytes& der : it->second.certs)
                found.push_back(std::make_unique<CountedCert>(der));
            return 0;
        };
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<Call> m_calls;
    int m_waiting = 0;
    bool m_held = false;
};

} // namespace yxtest
