// yaoxia-tool mail: the e-mail accounts and address books of both clients, on the same code as
// the secure e-mail page. "oe" is the local account list and vCard address book, "foxmail" is
// Foxmail's own files.
#include "BatchLookup.h"
#include "CertStore.h"
#include "Commands.h"
#include "DigitalCertificate.h"
#include "FoxmailAddrBook.h"
#include "FoxmailEmailAcc.h"
#include "OEAddrBook.h"
#include "OEEmailAcc.h"
#include "ToolArgs.h"
#include "UserPrompt.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace yx::tool {
namespace {

constexpr const char* kUsage = "mail accounts|contacts|batch oe|foxmail [--host URL]\n"
                               "       mail set-sign-cert oe|foxmail INDEX THUMBPRINT\n"
                               "       mail set-contact-certs oe|foxmail INDEX THUMBPRINT...";

std::string thumbOf(CDigitalCertificate* cert) {
    std::string thumb;
    if (cert)
        cert->getThumbPrint(thumb);
    return thumb;
}

std::string bufferText(CBBuffer& b) {
    return b.size() > 0
               ? std::string(reinterpret_cast<const char*>(b.GetBuffer()), static_cast<size_t>(b.size()))
               : std::string();
}

void printAccount(int index, CEmailAccount* a) {
    std::printf("%d\t%s\t%s\t%s\n", index,
                bufferText(a->getProperty(CEmailAccount::kAccountName)->getBuf()).c_str(),
                bufferText(a->getProperty(CEmailAccount::kEmailAddress)->getBuf()).c_str(),
                thumbOf(a->getSignCert()).c_str());
}

// The client's accounts, loaded; false (after saying why) when some could not be read.
template <class Store> bool loadAccounts(Store& store) {
    if (store.getEmailAcc() != 0) {
        std::fprintf(stderr, "yaoxia-tool: an account file cannot be read\n");
        return false;
    }
    return true;
}

int listAccounts(bool foxmail) {
    auto run = [](auto& store) {
        const bool ok = loadAccounts(store);
        for (int i = 0; i < store.GetCount(); ++i)
            printAccount(i, store.GetAt(i));
        return ok ? 0 : 1;
    };
    if (foxmail) {
        CFoxmailEmailAcc store;
        return run(store);
    }
    COEEmailAcc store;
    return run(store);
}

int listContacts(bool foxmail) {
    if (foxmail) {
        CFoxmailAddrBook book;
        const int rc = book.GetContacts();
        for (int i = 0; i < book.GetCount(); ++i) {
            CFoxmailContact* c = book.GetAt(i);
            OwnedCerts certs;
            c->GetCerts(certs);
            std::printf("%d\t%s\t%s\t%s\n", i, c->name().c_str(), c->email().c_str(),
                        certs.empty() ? "" : thumbOf(certs.front().get()).c_str());
        }
        return rc == 0 ? 0 : 1;
    }
    COEAddrBook book;
    COtherCertStore others;
    book.GetContacts();
    others.OpenCertStore();
    for (int i = 0; i < book.GetCount(); ++i) {
        CContact* c = book.GetAt(i);
        std::printf("%d\t%s\t%s\t%s\n", i, c->getProperty(CContact::kDisplayName)->getStrValue(),
                    c->getProperty(CContact::kEmailAddress)->getStrValue(),
                    thumbOf(c->getDefaultCert(&others)).c_str());
    }
    return 0;
}

template <class Store> CEmailAccount* accountAt(Store& store, const std::string& indexText) {
    loadAccounts(store); // the accounts read before a damaged one can still be set
    const auto index = parseIndex(indexText);
    if (!index || *index >= store.GetCount()) {
        std::fprintf(stderr, "yaoxia-tool: no account at index %s\n", indexText.c_str());
        return nullptr;
    }
    return store.GetAt(*index);
}

int setSignCert(bool foxmail, const std::string& indexText, const std::string& thumb) {
    auto apply = [&](auto& store, bool alsoCrypt) {
        CEmailAccount* account = accountAt(store, indexText);
        if (!account)
            return 1;
        CMyCertStore& mine = account->getCertStore();
        CDigitalCertificate* cert = mine.OpenCertStore() == 0 ? mine.FindByThumb(thumb) : nullptr;
        if (!cert) {
            std::fprintf(stderr, "yaoxia-tool: no personal certificate with thumbprint %s\n", thumb.c_str());
            return 1;
        }
        account->setSignCert(cert);
        // As the page does: an account without an encryption certificate also encrypts with
        // the signing certificate when it may.
        if (alsoCrypt && !account->getCryptCert() && cert->isCryptUse())
            account->setCrytpCert(cert);
        if (store.SaveEmailAcc(account) != 0) {
            std::fprintf(stderr, "yaoxia-tool: the account cannot be written\n");
            return 1;
        }
        return 0;
    };
    if (foxmail) {
        CFoxmailEmailAcc store;
        return apply(store, false);
    }
    COEEmailAcc store;
    return apply(store, true);
}

int setContactCerts(bool foxmail, const std::string& indexText, const std::vector<std::string>& thumbs) {
    COtherCertStore others;
    if (others.OpenCertStore() != 0) {
        std::fprintf(stderr, "yaoxia-tool: the certificate store cannot be opened\n");
        return 1;
    }
    std::vector<CDigitalCertificate*> certs;
    for (const std::string& thumb : thumbs) {
        CDigitalCertificate* cert = others.FindByThumb(thumb);
        if (!cert) {
            std::fprintf(stderr, "yaoxia-tool: no certificate with thumbprint %s in the other-people store\n",
                         thumb.c_str());
            return 1;
        }
        certs.push_back(cert);
    }
    const auto index = parseIndex(indexText);
    auto noContact = [&] {
        std::fprintf(stderr, "yaoxia-tool: no contact at index %s\n", indexText.c_str());
        return 1;
    };
    if (foxmail) {
        CFoxmailAddrBook book;
        book.GetContacts();
        if (!index || *index >= book.GetCount())
            return noContact();
        book.GetAt(*index)->SetCerts(certs);
        return book.SaveContact(book.GetAt(*index));
    }
    COEAddrBook book;
    book.GetContacts();
    if (!index || *index >= book.GetCount())
        return noContact();
    if (book.SaveContactCerts(book.GetAt(*index), certs) != 0) {
        std::fprintf(stderr, "yaoxia-tool: the contact's file cannot be written\n");
        return 1;
    }
    return 0;
}

// Without dialogs a contact gets a certificate only when the directory holds exactly one for it.
int batch(bool foxmail, const std::string& host) {
    CFoxmailAddrBook foxBook;
    COEAddrBook oeBook;
    COtherCertStore others;
    std::vector<CFoxmailContact*> foxList;
    std::vector<CContact*> oeList;
    std::vector<std::string> addresses;
    if (foxmail) {
        foxBook.GetContacts();
        foxList = yx::mail::batchList(foxBook);
        addresses = yx::mail::addressesOf(foxList);
    } else {
        oeBook.GetContacts();
        others.OpenCertStore();
        oeList = yx::mail::batchList(oeBook, others);
        addresses = yx::mail::addressesOf(oeList);
    }
    if (addresses.empty()) {
        showMessage("可需要批量配置的联系人个数为零！", MsgIcon::Information);
        std::printf("0\n");
        return 0;
    }
    CBatchLookup lookup(addresses);
    const std::atomic<bool> never{false};
    if (lookup.Run(never, {}, host) != CBatchLookup::kDone) {
        showMessage("目录查询失败，批量配置失败！", MsgIcon::Warning, MsgButtons::Ok, nullptr, "查找用户");
        if (!lookup.lastError().empty())
            std::fprintf(stderr, "yaoxia-tool: %s\n", lookup.lastError().c_str());
        return 1;
    }
    std::vector<CDigitalCertificate*> chosen;
    for (int i = 0; i < lookup.ContactCount(); ++i)
        chosen.push_back(lookup.OnlyFound(i));
    int count = 0;
    if (foxmail) {
        count = yx::mail::applyBatch(foxBook, foxList, chosen);
    } else {
        bool importFailed = false;
        count = yx::mail::applyBatch(oeBook, others, oeList, chosen, importFailed);
        if (importFailed) {
            showMessage("设置默认证书失败！", MsgIcon::Error);
            return 1;
        }
    }
    showMessage("你共为" + std::to_string(count) + "个联系人配置了加密证书", MsgIcon::Information);
    std::printf("%d\n", count);
    return 0;
}

} // namespace

int cmdMail(int argc, char** argv) {
    ToolArgs args;
    if (!args.parse(argc, argv, 1, {}) || args.count() < 2)
        return usageError(kUsage);
    const std::string& what = args.at(0);
    const std::string& client = args.at(1);
    if (client != "oe" && client != "foxmail")
        return usageError(kUsage);
    const bool foxmail = client == "foxmail";
    if (what == "accounts" && args.count() == 2)
        return listAccounts(foxmail);
    if (what == "contacts" && args.count() == 2)
        return listContacts(foxmail);
    if (what == "batch" && args.count() == 2)
        return batch(foxmail, args.option("host").value_or(""));
    if (what == "set-sign-cert" && args.count() == 4)
        return setSignCert(foxmail, args.at(2), args.at(3));
    if (what == "set-contact-certs" && args.count() >= 4)
        return setContactCerts(foxmail, args.at(2),
                               {args.positionals().begin() + 3, args.positionals().end()});
    return usageError(kUsage);
}

} // namespace yx::tool
