// Material for the mail tests, made at run time: compound files written by libgsf's own writer
// (independent of the code under test), Foxmail's account list, account files and address books
// built byte by byte, a Wine-like prefix, and certificates in the stores.
#pragma once

#include "Base64.h"
#include "CertStore.h"
#include "DigitalCertificate.h"
#include "Registry.h"
#include "TestPki.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace mailtest {

using yxtest::Bytes;

inline Bytes bytes(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline std::string base64(const Bytes& der) {
    std::string t(der.size() * 2 + 8, '\0');
    int n = static_cast<int>(t.size());
    base64encoding(der.data(), static_cast<int>(der.size()), t.data(), &n);
    return t.substr(0, static_cast<size_t>(n));
}

// Writes a compound file whose streams are given by path ("Ver30/AccInfo.cfg").
inline void writeCompound(const std::string& file, const std::map<std::string, std::string>& streams) {
    gsf_init();
    GsfOutput* sink = gsf_output_stdio_new(file.c_str(), nullptr);
    ASSERT_NE(sink, nullptr) << file;
    GsfOutfile* root = gsf_outfile_msole_new(sink);
    std::map<std::string, GsfOutput*> storages;
    for (const auto& [path, content] : streams) {
        GsfOutfile* parent = root;
        std::string rest = path;
        for (size_t slash; (slash = rest.find('/')) != std::string::npos; rest = rest.substr(slash + 1)) {
            const std::string key = path.substr(0, path.size() - rest.size() + slash);
            if (!storages.count(key))
                storages[key] = gsf_outfile_new_child(parent, rest.substr(0, slash).c_str(), TRUE);
            parent = GSF_OUTFILE(storages[key]);
        }
        GsfOutput* s = gsf_outfile_new_child(parent, rest.c_str(), FALSE);
        gsf_output_write(s, content.size(), reinterpret_cast<const guint8*>(content.data()));
        gsf_output_close(s);
        g_object_unref(s);
    }
    for (auto it = storages.rbegin(); it != storages.rend(); ++it) { // children before parents
        gsf_output_close(it->second);
        g_object_unref(it->second);
    }
    gsf_output_close(GSF_OUTPUT(root));
    g_object_unref(root);
    if (!gsf_output_is_closed(sink))
        gsf_output_close(sink);
    g_object_unref(sink);
}

// Reads a stream of a compound file with libgsf's reader; nullopt when absent.
inline std::optional<std::string> readCompound(const std::string& file, const std::string& path) {
    gsf_init();
    GsfInput* in = gsf_input_stdio_new(file.c_str(), nullptr);
    if (!in)
        return std::nullopt;
    GsfInfile* ole = gsf_infile_msole_new(in, nullptr);
    g_object_unref(in);
    if (!ole)
        return std::nullopt;
    GsfInput* node = GSF_INPUT(g_object_ref(ole));
    std::string rest = path;
    while (node) {
        const size_t slash = rest.find('/');
        GsfInput* child = gsf_infile_child_by_name(GSF_INFILE(node), rest.substr(0, slash).c_str());
        g_object_unref(node);
        node = child;
        if (slash == std::string::npos)
            break;
        rest = rest.substr(slash + 1);
    }
    g_object_unref(ole);
    if (!node)
        return std::nullopt;
    std::string out(static_cast<size_t>(gsf_input_size(node)), '\0');
    if (!out.empty())
        gsf_input_read(node, out.size(), reinterpret_cast<guint8*>(out.data()));
    g_object_unref(node);
    return out;
}

inline std::string le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    return s;
}

// The account list stream: 64 header bytes, the count, then per account the unread number,
// name, folder, a third text and 20 unread bytes.
struct AccountEntry {
    std::string name, folder, third;
};
inline std::string accountListStream(const std::vector<AccountEntry>& accounts, int count = -1) {
    std::string s(64, 'H');
    s += le32(static_cast<uint32_t>(count < 0 ? accounts.size() : count));
    for (const auto& a : accounts)
        s += le32(7) + le32(static_cast<uint32_t>(a.name.size())) + a.name +
             le32(static_cast<uint32_t>(a.folder.size())) + a.folder +
             le32(static_cast<uint32_t>(a.third.size())) + a.third + std::string(20, 'T');
    return s;
}

// One 176-byte index record.
struct IndexRecord {
    std::string name, address;
    uint32_t offset = 0, length = 0;
    unsigned char flag = 0;
    bool skip4 = false, skip17 = false;
};
inline std::string indexRecord(const IndexRecord& r) {
    std::string rec(176, '\0');
    rec[4] = r.skip4 ? 1 : 0;
    rec.replace(5, 4, le32(r.offset));
    rec.replace(9, 4, le32(r.length));
    rec[17] = r.skip17 ? 1 : 0;
    rec[18] = static_cast<char>(r.name.size());
    rec.replace(19, r.name.size(), r.name);
    rec[51] = static_cast<char>(r.address.size());
    rec.replace(52, r.address.size(), r.address);
    rec[132] = static_cast<char>(r.flag);
    return rec;
}

inline const std::string kSeparator = std::string(7, '\x10') + std::string(6, '\x13') + "S\r\n";

// An address book: blocks are laid out one after another behind separators; each record points
// at its block unless it gives its own offset.
struct BookContact {
    IndexRecord record;
    std::string block;
};
inline void writeBook(const std::string& dir, const std::string& stem, std::vector<BookContact> contacts,
                      const std::string& trailing = "") {
    std::filesystem::create_directories(dir);
    std::string box, ind(64, 'I');
    for (auto& c : contacts) {
        box += kSeparator;
        if (c.record.offset == 0 && c.record.length == 0) {
            c.record.offset = static_cast<uint32_t>(box.size());
            c.record.length = static_cast<uint32_t>(c.block.size());
        }
        box += c.block;
        ind += indexRecord(c.record);
    }
    yxtest::writeFile(dir, stem + ".BOX", box);
    yxtest::writeFile(dir, stem + ".IND", ind + trailing);
}

inline std::string fileText(const std::string& path) {
    const Bytes b = yxtest::readFile(path);
    return std::string(b.begin(), b.end());
}

// Sets an environment variable for the object's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

// A Wine prefix whose user.reg names Foxmail at C:\Foxmail\Foxmail.exe; returns the local
// Foxmail folder (drive_c/Foxmail, reached through dosdevices/c:).
inline std::string makeWinePrefix(const std::string& prefix,
                                  const std::string& foxmailPath = "C:\\\\Foxmail\\\\Foxmail.exe") {
    std::filesystem::create_directories(prefix + "/drive_c/Foxmail");
    std::filesystem::create_directories(prefix + "/dosdevices");
    std::filesystem::create_symlink("../drive_c", prefix + "/dosdevices/c:");
    yxtest::writeFile(prefix, "user.reg",
                      "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
                      "[Software\\\\Aerofox\\\\Foxmail] 1700000000\n#time=1d9\n\n"
                      "[Software\\\\Aerofox\\\\Foxmail\\\\V3.1] 1700000000\n#time=1d9\n\"FoxmailPath\"=\"" +
                          foxmailPath + "\"\n\"Other\"=dword:00000001\n");
    return prefix + "/drive_c/Foxmail";
}

// A certificate of `email` as a CDigitalCertificate, and its DER.
inline yxtest::Issued issue(yxtest::TestCa& ca, const std::string& cn, const std::string& email,
                            int key = 1) {
    yxtest::CertProfile p;
    p.cn = cn;
    p.email = email;
    p.keyIndex = key;
    return ca.issue(p);
}
inline std::unique_ptr<CDigitalCertificate> certOf(const Bytes& der) {
    return std::make_unique<CDigitalCertificate>(reinterpret_cast<const char*>(der.data()),
                                                 static_cast<int>(der.size()), CDigitalCertificate::DER);
}
inline std::string thumbOf(CDigitalCertificate& cert) {
    std::string t;
    cert.getThumbPrint(t);
    return t;
}

} // namespace mailtest
