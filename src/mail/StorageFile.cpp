#include "StorageFile.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <mutex>

namespace {

constexpr gsf_off_t kMaxStreamSize = 256 << 20; // more is not a Foxmail file

void initGsf() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

GsfInfile* top(const std::vector<void*>& stack) {
    return stack.empty() ? nullptr : static_cast<GsfInfile*>(stack.back());
}

// A child that is a storage, or null (streams answer -1 for their number of children).
GsfInfile* asStorage(GsfInput* child) {
    if (child && GSF_IS_INFILE(child) && gsf_infile_num_children(GSF_INFILE(child)) >= 0)
        return GSF_INFILE(child);
    return nullptr;
}

bool readAll(GsfInput* input, yx::Bytes& out) {
    const gsf_off_t size = gsf_input_size(input);
    if (size < 0 || size > kMaxStreamSize)
        return false;
    out.assign(static_cast<size_t>(size), 0);
    size_t done = 0;
    while (done < out.size()) {
        const size_t piece = std::min<size_t>(out.size() - done, 1 << 16);
        if (!gsf_input_read(input, piece, out.data() + done))
            return false;
        done += piece;
    }
    return true;
}

bool writeAll(GsfOutput* output, const yx::Bytes& data) {
    return data.empty() || gsf_output_write(output, data.size(), data.data());
}

void copyClassId(GsfInfile* in, GsfOutfile* out) {
    guint8 id[16] = {};
    if (GSF_IS_INFILE_MSOLE(in) && gsf_infile_msole_get_class_id(GSF_INFILE_MSOLE(in), id))
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(out), id);
}

// Copies storage `in` into `out`; the stream named by `path` (relative to `in`) gets `content`
// instead of its old bytes, and is created when missing. `placed` says whether it was written.
bool copyStorage(GsfInfile* in, GsfOutfile* out, const std::vector<std::string>& path, size_t depth,
                 const yx::Bytes& content, bool& placed) {
    copyClassId(in, out);
    const bool last = depth + 1 == path.size();
    const int n = gsf_infile_num_children(in);
    for (int i = 0; i < n; ++i) {
        const char* name = gsf_infile_name_by_index(in, i);
        GsfInput* child = gsf_infile_child_by_index(in, i);
        if (!name || !child) {
            if (child)
                g_object_unref(child);
            return false;
        }
        const bool onPath = depth < path.size() && path[depth] == name;
        bool ok = true;
        if (GsfInfile* storage = asStorage(child)) {
            GsfOutput* sub = gsf_outfile_new_child(out, name, TRUE);
            ok = sub && copyStorage(storage, GSF_OUTFILE(sub), path,
                                    onPath && !last ? depth + 1 : path.size(), content, placed);
            if (sub) {
                ok = gsf_output_close(sub) && ok;
                g_object_unref(sub);
            }
        } else {
            GsfOutput* sub = gsf_outfile_new_child(out, name, FALSE);
            if (onPath && last) {
                ok = sub && writeAll(sub, content);
                placed = true;
            } else {
                yx::Bytes bytes;
                ok = sub && readAll(child, bytes) && writeAll(sub, bytes);
            }
            if (sub) {
                ok = gsf_output_close(sub) && ok;
                g_object_unref(sub);
            }
        }
        g_object_unref(child);
        if (!ok)
            return false;
    }
    if (last && !placed && depth < path.size()) {
        GsfOutput* sub = gsf_outfile_new_child(out, path[depth].c_str(), FALSE);
        bool ok = sub && writeAll(sub, content);
        if (sub) {
            ok = gsf_output_close(sub) && ok;
            g_object_unref(sub);
        }
        placed = ok;
        return ok;
    }
    return true;
}

uint32_t le32(const guint8* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The root entry of a compound file has no siblings. The reader follows sibling links of the
// root anyway and never frees what it finds there, so such a file is refused before it is read.
bool rootHasSiblings(GsfInput* input) {
    constexpr gsf_off_t kHeaderSize = 512;
    constexpr uint32_t kNoStream = 0xFFFFFFFF;
    guint8 header[kHeaderSize];
    guint8 entry[128];
    bool siblings = false;
    if (gsf_input_seek(input, 0, G_SEEK_SET) == FALSE && gsf_input_read(input, sizeof header, header)) {
        const unsigned shift = header[0x1E] | header[0x1F] << 8;
        const uint64_t firstDirBlock = le32(header + 0x30);
        if (shift >= 6 && shift < 31) {
            // The header fills the whole first sector where sectors are larger (4096 bytes).
            const uint64_t at =
                std::max<uint64_t>(kHeaderSize, uint64_t{1} << shift) + (firstDirBlock << shift);
            if (at + sizeof entry <= static_cast<uint64_t>(gsf_input_size(input)) &&
                gsf_input_seek(input, static_cast<gsf_off_t>(at), G_SEEK_SET) == FALSE &&
                gsf_input_read(input, sizeof entry, entry))
                siblings = le32(entry + 0x44) != kNoStream || le32(entry + 0x48) != kNoStream;
        }
    }
    gsf_input_seek(input, 0, G_SEEK_SET);
    return siblings;
}

GsfInfile* openOle(GsfInput* input) {
    if (!input)
        return nullptr;
    if (rootHasSiblings(input)) {
        g_object_unref(input);
        return nullptr;
    }
    GError* err = nullptr;
    GsfInfile* ole = gsf_infile_msole_new(input, &err);
    g_clear_error(&err);
    g_object_unref(input); // the container keeps its own reference
    return ole;
}

} // namespace

CStorageFile::CStorageFile() = default;

CStorageFile::~CStorageFile() {
    Close();
}

bool CStorageFile::Open(const std::string& path, unsigned mode) {
    (void)mode; // the new-file-and-rename write makes exclusive opening unnecessary here
    Close();
    initGsf();
    GError* err = nullptr;
    GsfInput* input = gsf_input_stdio_new(path.c_str(), &err);
    g_clear_error(&err);
    GsfInfile* root = openOle(input);
    if (!root)
        return false;
    m_stack.push_back(root);
    return true;
}

bool CStorageFile::OpenBytes(const yx::Bytes& data) {
    Close();
    initGsf();
    GsfInfile* root = openOle(gsf_input_memory_new_clone(data.data(), static_cast<gsf_off_t>(data.size())));
    if (!root)
        return false;
    m_stack.push_back(root);
    return true;
}

bool CStorageFile::OpenStorage(const std::string& name, unsigned mode) {
    (void)mode;
    GsfInfile* parent = top(m_stack);
    if (!parent)
        return false;
    GsfInput* child = gsf_infile_child_by_name(parent, name.c_str());
    GsfInfile* storage = asStorage(child);
    if (!storage) {
        if (child)
            g_object_unref(child);
        return false;
    }
    m_stack.push_back(storage);
    return true;
}

bool CStorageFile::OpenStream(const std::string& name, yx::Bytes& content, unsigned mode) {
    (void)mode;
    GsfInfile* parent = top(m_stack);
    if (!parent)
        return false;
    GsfInput* child = gsf_infile_child_by_name(parent, name.c_str());
    if (!child)
        return false;
    const bool ok = !asStorage(child) && readAll(child, content);
    g_object_unref(child);
    if (!ok)
        content.clear();
    return ok;
}

bool CStorageFile::CloseStorage() {
    if (m_stack.size() < 2)
        return false;
    g_object_unref(m_stack.back());
    m_stack.pop_back();
    return true;
}

void CStorageFile::Close() {
    while (!m_stack.empty()) { // the root last
        g_object_unref(m_stack.back());
        m_stack.pop_back();
    }
}

std::vector<std::string> CStorageFile::ChildNames() const {
    std::vector<std::string> names;
    if (GsfInfile* t = top(m_stack))
        for (int i = 0, n = gsf_infile_num_children(t); i < n; ++i)
            if (const char* name = gsf_infile_name_by_index(t, i))
                names.emplace_back(name);
    return names;
}

bool CStorageFile::ReplaceStream(const std::string& path, const std::vector<std::string>& streamPath,
                                 const yx::Bytes& content) {
    if (streamPath.empty())
        return false;
    CStorageFile source;
    if (!source.Open(path))
        return false;
    GsfOutput* sink = gsf_output_memory_new();
    GsfOutfile* out = gsf_outfile_msole_new(sink);
    bool placed = false;
    bool ok = out && copyStorage(top(source.m_stack), out, streamPath, 0, content, placed);
    if (out) {
        ok = gsf_output_close(GSF_OUTPUT(out)) && ok;
        g_object_unref(out);
    }
    // Closing the compound file closes its sink too.
    ok = (gsf_output_is_closed(sink) || gsf_output_close(sink)) && ok && placed;
    if (ok) {
        const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink));
        const gsf_off_t size = gsf_output_size(sink);
        struct stat st {};
        const unsigned mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0644;
        ok = bytes && size > 0 && yx::atomicWriteFile(path, bytes, static_cast<size_t>(size), mode);
    }
    g_object_unref(sink);
    return ok;
}
