// Command-line arguments of one subcommand: positionals and "--name value" options (repeatable).
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace yx::tool {

class ToolArgs {
public:
    // flags: option names that take no value (e.g. "online"). Returns false and sets error()
    // for an option missing its value.
    bool parse(int argc, char** argv, int first, const std::set<std::string>& flags);

    const std::vector<std::string>& positionals() const { return m_pos; }
    size_t count() const { return m_pos.size(); }
    const std::string& at(size_t i) const { return m_pos.at(i); }
    bool has(const std::string& name) const { return m_opts.count(name) > 0; }
    std::optional<std::string> option(const std::string& name) const; // last occurrence
    std::vector<std::string> all(const std::string& name) const;      // every occurrence, in order
    const std::string& error() const { return m_error; }

private:
    std::vector<std::string> m_pos;
    std::multimap<std::string, std::string> m_opts;
    std::vector<std::pair<std::string, std::string>> m_ordered;
    std::string m_error;
};

// Password sources as the openssl tool takes them: pass:TEXT, env:VAR, file:PATH (first line),
// stdin (next line of standard input, so two passwords can both come from stdin in order).
std::optional<std::string> readPassword(const std::string& source, std::string& error);

// The password named by option `name` (e.g. "password"): empty when the option is absent (an
// empty password is a valid one); nullopt, after saying why on stderr, when its source cannot
// be read.
std::optional<std::string> passwordOption(const ToolArgs& args, const char* name);

// Prints "usage: yaoxia-tool USAGE" on stderr; returns the usage exit status (rc::kUsage).
int usageError(const char* usage);

// Parses a non-negative decimal index; nullopt for anything else.
std::optional<int> parseIndex(const std::string& text);

} // namespace yx::tool
