// CStorageFile: the one access to structured-storage (compound) files, on libgsf. A file is opened
// whole; sub-storages are entered one after another (a stack whose bottom is the root) and streams
// are read from the storage on top. Changing a stream writes a complete new compound file beside
// the old one and renames it over, so the container's own record of every stream's length always
// matches its content and a crash leaves either the old or the new file.
#pragma once

#include "SafeFile.h"

#include <string>
#include <vector>

class CStorageFile {
public:
    // The mode every storage and stream of Foxmail's files is opened with (read-write, exclusive).
    static constexpr unsigned kReadWriteExclusive = 0x12;

    CStorageFile();
    ~CStorageFile();
    CStorageFile(const CStorageFile&) = delete;
    CStorageFile& operator=(const CStorageFile&) = delete;

    // Closes a file that is still open first. False when the file is missing or not a compound file.
    bool Open(const std::string& path, unsigned mode = kReadWriteExclusive);
    // The same over bytes in memory (a copy is kept).
    bool OpenBytes(const yx::Bytes& data);
    // Enters the named storage of the storage on top; false when there is none of that name.
    bool OpenStorage(const std::string& name, unsigned mode = kReadWriteExclusive);
    // Reads the named stream of the storage on top whole; false when absent or unreadable.
    bool OpenStream(const std::string& name, yx::Bytes& content, unsigned mode = kReadWriteExclusive);
    // Leaves the storage on top for its parent; false at the root.
    bool CloseStorage();
    void Close();

    bool IsOpen() const { return !m_stack.empty(); }
    // Names of the storages and streams of the storage on top, in the file's order.
    std::vector<std::string> ChildNames() const;

    // Replaces the stream at `streamPath` (storage names, then the stream name) of the compound
    // file `path` with `content` by writing a new file beside it (every other storage and stream
    // copied unchanged) and renaming it over. The stream is created when its storages exist but
    // it does not. False, with the file unchanged, when the file cannot be read or written.
    static bool ReplaceStream(const std::string& path, const std::vector<std::string>& streamPath,
                              const yx::Bytes& content);

private:
    std::vector<void*> m_stack; // GsfInfile*, each holding a reference; bottom is the root
};
