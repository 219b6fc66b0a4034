#include "OEAddrBook.h"

#include "DataPaths.h"
#include "DigitalCertificate.h"
#include "SafeFile.h"
#include "VCard.h"

#include <dirent.h>
#include <strings.h>

#include <algorithm>

namespace {

using Der = std::vector<unsigned char>;
constexpr size_t kMaxCardFile = 16u << 20;

bool isVCardFile(const std::string& name) {
    return name.size() > 4 && strcasecmp(name.c_str() + name.size() - 4, ".vcf") == 0;
}

std::optional<yx::vcard::File> readCards(const std::string& path) {
    const auto bytes = yx::readWholeFile(path, kMaxCardFile);
    if (!bytes)
        return std::nullopt;
    return yx::vcard::parse(std::string(bytes->begin(), bytes->end()));
}

Der derOf(CDigitalCertificate* cert) {
    return cert && cert->getPCCERT() ? cert->getPCCERT()->der : Der();
}

std::vector<Der> keysOf(CContact& contact) {
    std::vector<Der> ders;
    const COEWABProperty* keys = contact.getProperty(COEAddrBook::kKeys);
    for (int i = 0; i < keys->getVSize(); ++i) {
        const CBBuffer* b = keys->getVValue(i);
        ders.emplace_back(b->GetBuffer(), b->GetBuffer() + b->size());
    }
    return ders;
}

} // namespace

std::string COEAddrBook::folder() {
    return yx::paths::dataDir() + "/addressbook";
}

COEAddrBook::~COEAddrBook() {
    Clear();
}

int COEAddrBook::GetContacts() {
    Clear();
    const std::string dir = folder();
    std::vector<std::string> files;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (const dirent* e = ::readdir(d))
            if (isVCardFile(e->d_name) && yx::isRegularFile(dir + "/" + e->d_name))
                files.emplace_back(e->d_name);
        ::closedir(d);
    }
    std::sort(files.begin(), files.end());
    int id = 0;
    for (const std::string& name : files) {
        const auto file = readCards(dir + "/" + name);
        if (!file)
            continue;
        for (size_t i = 0; i < file->cards.size(); ++i) {
            const auto& card = file->cards[i];
            auto* contact = new CContact;
            contact->setId(id++);
            contact->getProperty(CContact::kDisplayName)->setValue(yx::vcard::displayName(card).c_str());
            contact->getProperty(CContact::kEmailAddress)->setValue(yx::vcard::preferredEmail(card).c_str());
            COEWABProperty* where = contact->getProperty(kVCardFile);
            where->setTag(i, "vcard");
            where->setValue((dir + "/" + name).c_str());
            COEWABProperty* keys = contact->getProperty(kKeys);
            for (const Der& der : yx::vcard::certificateKeys(card))
                keys->pushVector(reinterpret_cast<const char*>(der.data()), static_cast<int>(der.size()));
            if (keys->getVSize() > 0) {
                const CBBuffer* first = keys->getVValue(0);
                auto cert =
                    std::make_unique<CDigitalCertificate>(reinterpret_cast<const char*>(first->GetBuffer()),
                                                          first->size(), CDigitalCertificate::DER);
                contact->SetDefaultCert(cert.get());
                m_keyCerts.push_back(std::move(cert));
            }
            m_contacts.emplace_back(contact);
        }
    }
    return 0;
}

int COEAddrBook::SaveContact(CContact* contact) {
    if (!contact)
        return 1;
    std::vector<Der> keys = keysOf(*contact);
    const Der def = derOf(contact->getDefaultCert(nullptr));
    if (def.empty()) {
        if (!keys.empty())
            keys.erase(keys.begin()); // the default was removed
    } else if (keys.empty() || keys.front() != def) {
        keys.erase(std::remove(keys.begin(), keys.end(), def), keys.end());
        keys.insert(keys.begin(), def);
    }
    return WriteKeys(*contact, keys);
}

int COEAddrBook::SaveContactCerts(CContact* contact, const std::vector<CDigitalCertificate*>& certs) {
    if (!contact)
        return 1;
    std::vector<Der> keys;
    for (CDigitalCertificate* cert : certs)
        if (Der der = derOf(cert); !der.empty() && std::find(keys.begin(), keys.end(), der) == keys.end())
            keys.push_back(std::move(der));
    return WriteKeys(*contact, keys);
}

int COEAddrBook::WriteKeys(CContact& contact, const std::vector<Der>& keys) {
    COEWABProperty* where = contact.getProperty(kVCardFile);
    unsigned long cardIndex = 0;
    std::string tagName;
    where->getTag(cardIndex, tagName);
    const std::string path = where->getStrValue();
    auto file = path.empty() ? std::nullopt : readCards(path);
    if (!file || cardIndex >= file->cards.size())
        return 1;
    yx::vcard::setCertificateKeys(file->cards[cardIndex], keys);
    if (!yx::atomicWriteFile(path, yx::vcard::render(*file), 0600))
        return 1;
    COEWABProperty* stored = contact.getProperty(kKeys);
    stored->ClearVector();
    for (const Der& der : keys)
        stored->pushVector(reinterpret_cast<const char*>(der.data()), static_cast<int>(der.size()));
    return 0;
}

CContact* COEAddrBook::GetAt(int index) const {
    return index >= 0 && index < GetCount() ? m_contacts[static_cast<size_t>(index)].get() : nullptr;
}

void COEAddrBook::Append(CContact* contact) {
    if (contact)
        m_contacts.emplace_back(contact);
}

void COEAddrBook::Clear() {
    m_contacts.clear();
    m_keyCerts.clear();
}
