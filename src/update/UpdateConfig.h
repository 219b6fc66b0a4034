// The update's own configuration, kept as string values under its registry key (the
// "UpdateConfig" section of the program's settings).
#pragma once

#include <array>
#include <string>

namespace yx::update {

class Config {
public:
    enum Field {
        StartUpCheckNew,  // "1": look for a new version when the program starts
        CurrentOperation, // "1": the running check is the start-up check; "0": on request
        Server,           // base address of the update server; empty: the maker's server
        LastCheck,        // UTC time of the last completed check, "YYYY-MM-DDTHH:MM:SSZ"
        LastResult,       // result code of the last check, decimal
        LatestVersion,    // the newest version the server offered
        LastDownload,     // path of the last verified download
        FieldCount
    };

    Config() = default;
    virtual ~Config() = default;
    Config(const Config&) = default;
    Config& operator=(const Config&) = default;

    std::string GetStartUpCheckNew() const { return m_values[StartUpCheckNew]; }
    void SetCurrentOperation(std::string operation) { m_values[CurrentOperation] = std::move(operation); }

    const std::string& value(Field field) const { return m_values[field]; }
    void setValue(Field field, std::string value) { m_values[field] = std::move(value); }
    // The registry value name of a field ("StartUpCheckNew", "Server", ...).
    static const char* valueName(Field field);

private:
    std::array<std::string, FieldCount> m_values;
};

} // namespace yx::update
