// An NSS database made for a test with NSS's own certutil, and looked at from outside with it.
#pragma once

#include "NssDatabases.h"
#include "TestPki.h"

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace yxtest {

class NssTestDb : public TempDir {
public:
    // With a password the database is protected by it; without, it has an empty one.
    explicit NssTestDb(const std::optional<std::string>& password = std::nullopt) {
        std::vector<std::string> argv = {"certutil", "-N", "-d", "sql:" + path()};
        if (password) {
            argv.push_back("-f");
            argv.push_back(writeFile(path(), "pw.txt", *password + "\n"));
        } else {
            argv.push_back("--empty-password");
        }
        ok = runCommand(argv) == 0;
    }

    yx::nss::NssDatabase db() const { return {"Test", "p", path(), yx::nss::DbFormat::Sql}; }

    // Nickname -> trust, as certutil -L lists them.
    std::map<std::string, std::string> certs() const {
        std::string out;
        runCommand({"certutil", "-L", "-d", "sql:" + path()}, &out);
        std::map<std::string, std::string> found;
        size_t pos = out.find("SSL,S/MIME,JAR/XPI");
        while (pos != std::string::npos && (pos = out.find('\n', pos)) != std::string::npos) {
            const size_t end = out.find('\n', ++pos);
            std::string line = out.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            while (!line.empty() && line.back() == ' ')
                line.pop_back();
            const size_t gap = line.rfind(' ');
            if (gap != std::string::npos) {
                std::string nick = line.substr(0, gap);
                while (!nick.empty() && nick.back() == ' ')
                    nick.pop_back();
                found[nick] = line.substr(gap + 1);
            }
        }
        return found;
    }

    // Private keys in the database (certutil -K; the password file answers a protected one).
    int keyCount() const {
        std::string out;
        std::vector<std::string> argv = {"certutil", "-K", "-d", "sql:" + path()};
        if (fileExists("pw.txt")) {
            argv.push_back("-f");
            argv.push_back(file("pw.txt"));
        }
        if (runCommand(argv, &out) != 0)
            return 0;
        int n = 0;
        for (size_t p = out.find("\n<"); p != std::string::npos; p = out.find("\n<", p + 1))
            ++n;
        return n + (out.rfind("<", 0) == 0 ? 1 : 0);
    }

    bool fileExists(const std::string& name) const { return yxtest::readFile(file(name)).size() > 0; }

    bool ok = false;
};

// Points HOME at a fresh temporary folder for the object's lifetime (where the databases are found).
class ScopedHome : public TempDir {
    ScopedEnv m_home{"HOME", path()};
};

} // namespace yxtest
