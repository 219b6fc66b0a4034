// Material for the mail tests, made at run time: compound files written by libgsf's own writer
// (independent of the code under test), Foxmail's files (FoxmailFiles.h) and certificates.
#pragma once

#include "Base64.h"
#include "CertStore.h"
#include "DigitalCertificate.h"
#include "FoxmailFiles.h"
#include "People.h"
#include "PropertyRecords.h"
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

// Writes a compound file whose streams are given by path ("Ver30/AccInfo.cfg"), in sectors of
// `sectorSize` bytes (512 in version 3 files, 4096 in version 4).
inline void writeCompound(const std::string& file, const std::map<std::string, std::string>& streams,
                          unsigned sectorSize = 512) {
    gsf_init();
    GsfOutput* sink = gsf_output_stdio_new(file.c_str(), nullptr);
    ASSERT_NE(sink, nullptr) << file;
    GsfOutfile* root = gsf_outfile_msole_new_full(sink, sectorSize, 64);
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

inline std::string fileText(const std::string& path) {
    const Bytes b = yxtest::readFile(path);
    return std::string(b.begin(), b.end());
}

// A certificate of `email` as a CDigitalCertificate, and its DER.
inline yxtest::Issued issue(yxtest::TestCa& ca, const std::string& cn, const std::string& email,
                            int key = 1) {
    return ca.issue({.cn = cn, .email = email, .keyIndex = key});
}
inline std::unique_ptr<CDigitalCertificate> certOf(const Bytes& der) {
    return std::make_unique<CDigitalCertificate>(reinterpret_cast<const char*>(der.data()),
                                                 static_cast<int>(der.size()), CDigitalCertificate::DER);
}
// An account's text property.
inline std::string text(CEmailAccount* a, int property) {
    CBBuffer& b = a->getProperty(property)->getBuf();
    return std::string(reinterpret_cast<const char*>(b.GetBuffer()), static_cast<size_t>(b.size()));
}
using yxtest::thumbOf;

} // namespace mailtest
