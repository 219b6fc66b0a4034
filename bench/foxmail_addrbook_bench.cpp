// Foxmail's address book with 10,000 contacts (every tenth with a certificate entry): time to
// read the whole book and to save one contact with a new certificate, printed beside the time to
// merely read both files and split the text into lines, in the same run. Target: read < 200 ms.
#include "DigitalCertificate.h"
#include "FoxmailAddrBook.h"
#include "FoxmailText.h"
#include "SafeFile.h"
#include "TestPki.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kContacts = 10000;
constexpr int kRuns = 5;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::string le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    return s;
}

// Writes <folder>/Address/book.IND and .BOX.
void makeBook(const std::string& folder, const std::string& certEntryFor0) {
    const std::string separator = std::string(7, '\x10') + std::string(6, '\x13') + "S\r\n";
    std::string box, ind(64, '\0');
    for (int i = 0; i < kContacts; ++i) {
        const std::string address = "user" + std::to_string(i) + "@example.cn";
        std::string block = "Emails: " + address + "\r\n";
        if (i % 10 == 0)
            block += certEntryFor0;
        block += "Company: Example\r\nPhone: 010-12345678\r\n";
        box += separator;
        std::string rec(176, '\0');
        rec.replace(5, 4, le32(static_cast<uint32_t>(box.size())));
        rec.replace(9, 4, le32(static_cast<uint32_t>(block.size())));
        const std::string name = "user" + std::to_string(i);
        rec[18] = static_cast<char>(name.size());
        rec.replace(19, name.size(), name);
        rec[51] = static_cast<char>(address.size());
        rec.replace(52, address.size(), address);
        rec[132] = i % 10 == 0 ? 1 : 0;
        box += block;
        ind += rec;
    }
    std::filesystem::create_directories(folder + "/Address");
    yx::atomicWriteFile(folder + "/Address/book.BOX", box);
    yx::atomicWriteFile(folder + "/Address/book.IND", ind);
}

} // namespace

int main() {
    yxtest::TempDir dir;
    yxtest::TestCa ca;
    yxtest::CertProfile profile;
    profile.email = "user@example.cn";
    const auto der = ca.issue(profile).der();
    CDigitalCertificate cert(reinterpret_cast<const char*>(der.data()), static_cast<int>(der.size()),
                             CDigitalCertificate::DER);
    CFoxmailContact sample;
    sample.SetCerts({&cert});
    std::string thumb;
    cert.getThumbPrint(thumb);
    const std::string entry = "Certificates: " + yx::mail::hashText(thumb) + "\r\n" +
                              yx::mail::hashText(thumb) + ": " + sample.certList(0).front() + "\r\n";
    makeBook(dir.path(), entry);

    std::vector<double> reference, read, save;
    size_t lines = 0;
    for (int run = 0; run < kRuns; ++run) {
        auto start = Clock::now();
        const auto box = yx::readWholeFile(dir.path() + "/Address/book.BOX", size_t(1) << 30);
        const auto ind = yx::readWholeFile(dir.path() + "/Address/book.IND", size_t(1) << 30);
        lines = static_cast<size_t>(std::count(box->begin(), box->end(), '\n')) + ind->size() / 176;
        reference.push_back(msSince(start));

        CFoxmailAddrBook book;
        start = Clock::now();
        if (book.ReadFolder(dir.path()) != 0 || book.GetCount() != kContacts) {
            std::fprintf(stderr, "read failed\n");
            return 1;
        }
        read.push_back(msSince(start));

        CFoxmailContact* contact = book.GetAt(run * 7 + 1);
        start = Clock::now();
        contact->SetCerts({&cert});
        book.SaveContact(contact);
        save.push_back(msSince(start));
    }
    std::printf("Foxmail address book, %d contacts (%zu lines), median of %d runs\n", kContacts, lines,
                kRuns);
    std::printf("  reference: read both files and count lines   %8.1f ms\n", median(reference));
    std::printf("  GetContacts (whole book)                     %8.1f ms   (target < 200 ms)\n",
                median(read));
    std::printf("  SetCerts + SaveContact (one contact)         %8.2f ms\n", median(save));
    return median(read) < 200 ? 0 : 1;
}
