// CFoxmailAccountList: names and folders of Foxmail's accounts, from the stream
// "Ver30/accounts.cfg" of the compound file accounts.cfg in Foxmail's folder.
#pragma once

#include "SafeFile.h"

#include <string>
#include <vector>

class CFoxmailAccountList {
public:
    // 0 when the stream was read; -1 when Foxmail's folder or the stream cannot be found or opened
    // (the lists are then empty).
    int Read();
    // Parses the stream's bytes: as many records as the count says, as far as whole records
    // reach (a damaged stream gives the records before the damage).
    void Parse(const yx::Bytes& stream);

    int GetCount() const { return static_cast<int>(m_folders.size()); }
    const std::vector<std::string>& Names() const { return m_names; }     // UTF-8
    const std::vector<std::string>& Folders() const { return m_folders; } // Windows paths, UTF-8

private:
    std::vector<std::string> m_names;
    std::vector<std::string> m_folders;
};
