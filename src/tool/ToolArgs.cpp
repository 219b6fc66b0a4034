#include "ToolArgs.h"

#include "ResultCodes.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>

namespace yx::tool {

bool ToolArgs::parse(int argc, char** argv, int first, const std::set<std::string>& flags) {
    bool optionsEnded = false;
    for (int i = first; i < argc; ++i) {
        std::string a = argv[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && a.size() > 2 && a.compare(0, 2, "--") == 0) {
            std::string name = a.substr(2);
            std::string value;
            const auto eq = name.find('=');
            if (eq != std::string::npos) {
                value = name.substr(eq + 1);
                name.resize(eq);
            } else if (flags.count(name) == 0) {
                if (i + 1 >= argc) {
                    m_error = "option --" + name + " needs a value";
                    return false;
                }
                value = argv[++i];
            }
            m_opts.emplace(name, value);
            m_ordered.emplace_back(name, value);
            continue;
        }
        m_pos.push_back(a);
    }
    return true;
}

std::optional<std::string> ToolArgs::option(const std::string& name) const {
    std::optional<std::string> out;
    for (const auto& [n, v] : m_ordered)
        if (n == name)
            out = v;
    return out;
}

std::vector<std::string> ToolArgs::all(const std::string& name) const {
    std::vector<std::string> out;
    for (const auto& [n, v] : m_ordered)
        if (n == name)
            out.push_back(v);
    return out;
}

std::optional<std::string> readPassword(const std::string& source, std::string& error) {
    auto firstLine = [](std::istream& in) -> std::optional<std::string> {
        std::string line;
        if (!std::getline(in, line))
            return std::nullopt;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return line;
    };
    if (source.rfind("pass:", 0) == 0)
        return source.substr(5);
    if (source.rfind("env:", 0) == 0) {
        const char* v = std::getenv(source.substr(4).c_str());
        if (!v) {
            error = "environment variable " + source.substr(4) + " is not set";
            return std::nullopt;
        }
        return std::string(v);
    }
    if (source.rfind("file:", 0) == 0) {
        std::ifstream f(source.substr(5));
        auto line = f ? firstLine(f) : std::nullopt;
        if (!line)
            error = "cannot read a password from " + source.substr(5);
        return line;
    }
    if (source == "stdin") {
        auto line = firstLine(std::cin);
        if (!line)
            error = "no password on standard input";
        return line;
    }
    error = "password source must be pass:TEXT, env:VAR, file:PATH or stdin";
    return std::nullopt;
}

std::optional<std::string> passwordOption(const ToolArgs& args, const char* name) {
    auto source = args.option(name);
    if (!source)
        return std::string();
    std::string error;
    auto pw = readPassword(*source, error);
    if (!pw)
        std::fprintf(stderr, "yaoxia-tool: %s\n", error.c_str());
    return pw;
}

std::optional<int> parseIndex(const std::string& text) {
    if (text.empty() || text.size() > 9)
        return std::nullopt;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

int usageError(const char* usage) {
    std::fprintf(stderr, "usage: yaoxia-tool %s\n", usage);
    return rc::kUsage;
}

} // namespace yx::tool
