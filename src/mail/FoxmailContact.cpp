#include "FoxmailContact.h"

#include "DigitalCertificate.h"
#include "GbkText.h"

#include <cctype>
#include <cstdlib>

namespace {

constexpr size_t kBeginPart = 30; // "-----BEGIN CERTIFICATE-----", CR LF and the space
constexpr size_t kEndCut = 29;    // CR LF, the space, "-----END CERTIFICATE-----" and one more
constexpr size_t kFoldWidth = 76;
constexpr int kBase64Area = 4096;
constexpr const char* kBegin = "-----BEGIN CERTIFICATE-----\r\n ";
constexpr const char* kEnd = "\r\n -----END CERTIFICATE-----";

std::string bufferText(const CBBuffer& b) {
    return b.size() > 0
               ? std::string(reinterpret_cast<const char*>(b.GetBuffer()), static_cast<size_t>(b.size()))
               : std::string();
}

bool isBase64Char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '=';
}

} // namespace

CFoxmailContact::CFoxmailContact() = default;
CFoxmailContact::~CFoxmailContact() = default;

COEWABProperty* CFoxmailContact::getProperty(int field) {
    return field >= 0 && field < kFieldCount ? &m_props[field] : nullptr;
}

std::string CFoxmailContact::getText(Field field) const {
    return field >= 0 && field < kFieldCount
               ? bufferText(const_cast<COEWABProperty&>(m_props[field]).getBuf())
               : std::string();
}

void CFoxmailContact::setText(Field field, const std::string& text) {
    CBBuffer& b = m_props[field].getBuf();
    b.Free();
    if (!text.empty())
        b.AttachBuffer(text.data(), static_cast<int>(text.size()));
}

std::vector<std::string> CFoxmailContact::getList(Field field) const {
    std::vector<std::string> out;
    const COEWABProperty& p = m_props[field];
    for (int i = 0; i < p.getVSize(); ++i)
        out.push_back(bufferText(*p.getVValue(i)));
    return out;
}

void CFoxmailContact::setList(Field field, const std::vector<std::string>& values) {
    COEWABProperty& p = m_props[field];
    p.ClearVector();
    for (const std::string& v : values)
        p.pushVector(v.data(), static_cast<int>(v.size()));
}

std::string CFoxmailContact::name() const {
    return yx::gbkToUtf8Lossy(getText(kName));
}

std::string CFoxmailContact::email() const {
    return yx::gbkToUtf8Lossy(getText(kPrimaryAddress));
}

bool CFoxmailContact::hasCertFlag() const {
    return !getText(kCertFlag).empty();
}

int CFoxmailContact::primaryIndex() const {
    return std::atoi(getText(kPrimaryIndex).c_str());
}

std::vector<std::string>& CFoxmailContact::hashList(int line) {
    if (line >= lineCount())
        resizeLists(line + 1);
    return m_hashes[static_cast<size_t>(line < 0 ? 0 : line)];
}

std::vector<std::string>& CFoxmailContact::certList(int line) {
    if (line >= lineCount())
        resizeLists(line + 1);
    return m_certs[static_cast<size_t>(line < 0 ? 0 : line)];
}

const std::vector<std::string>* CFoxmailContact::findHashList(int line) const {
    return line >= 0 && line < lineCount() ? &m_hashes[static_cast<size_t>(line)] : nullptr;
}

const std::vector<std::string>* CFoxmailContact::findCertList(int line) const {
    return line >= 0 && line < lineCount() ? &m_certs[static_cast<size_t>(line)] : nullptr;
}

void CFoxmailContact::resizeLists(int count) {
    m_hashes.resize(static_cast<size_t>(count < 1 ? 1 : count));
    m_certs.resize(m_hashes.size());
}

std::string CFoxmailContact::base64Of(const std::string& certText) {
    if (certText.size() < kBeginPart + kEndCut)
        return {};
    size_t end = certText.size() - kEndCut;
    // The cut takes one character more than the END line needs: the line end our encoder leaves
    // behind the Base64 text. A text written without it keeps its last Base64 character.
    if (isBase64Char(certText[end]))
        ++end;
    std::string b64;
    for (size_t i = kBeginPart; i < end; ++i) {
        if (certText[i] == '\r' && i + 1 < end && certText[i + 1] == '\n') {
            ++i;
            continue;
        }
        b64 += certText[i];
    }
    return b64;
}

std::string CFoxmailContact::certificateText(const std::string& base64) {
    std::string folded = base64;
    for (size_t at = kFoldWidth; at < folded.size(); at += kFoldWidth + 3)
        folded.insert(at, "\r\n ");
    return kBegin + folded + kEnd;
}

void CFoxmailContact::GetCerts(yx::OwnedCerts& out) const {
    const auto* certs = findCertList(primaryIndex());
    if (!certs)
        return;
    for (const std::string& text : *certs) {
        const std::string b64 = base64Of(text);
        if (b64.empty())
            continue;
        auto cert = std::make_unique<CDigitalCertificate>(b64.c_str(), static_cast<int>(b64.size()),
                                                          CDigitalCertificate::BASE64);
        if (cert->getPCCERT())
            out.push_back(std::move(cert));
    }
}

void CFoxmailContact::SetCerts(const std::vector<CDigitalCertificate*>& certs) {
    const int def = primaryIndex();
    std::vector<std::string>& hashes = hashList(def);
    std::vector<std::string>& texts = certList(def);
    hashes.clear();
    texts.clear();
    for (CDigitalCertificate* cert : certs) {
        std::string thumb;
        char area[kBase64Area] = {};
        int length = kBase64Area;
        if (!cert || cert->getThumbPrint(thumb) != 0 ||
            (cert->GetEncodedCert(CDigitalCertificate::BASE64, area, length), length >= kBase64Area) ||
            length <= 0)
            continue;
        hashes.push_back(thumb);
        // Our Base64 text ends with a line end, as the encoder of Foxmail's certificate texts does.
        texts.push_back(certificateText(std::string(area, static_cast<size_t>(length)) + "\n"));
    }
}
