#include "ThunderbirdAddressBook.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace yx::nss {
namespace {

struct Card {
    std::map<std::string, std::string> props;
};

void readBook(const std::string& file, const NssDatabase& profile, std::vector<TbContact>& out) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
    if (rc != SQLITE_OK)
        return;
    sqlite3_busy_timeout(db.get(), 500);
    sqlite3_stmt* st = nullptr;
    const char* sql = "SELECT card, name, value FROM properties WHERE name IN "
                      "('DisplayName', 'FirstName', 'LastName', 'PrimaryEmail') ORDER BY rowid";
    if (sqlite3_prepare_v2(db.get(), sql, -1, &st, nullptr) != SQLITE_OK)
        return; // not an address book
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(st, sqlite3_finalize);
    std::vector<std::string> order;
    std::map<std::string, Card> cards;
    const auto text = [&](int col) {
        const unsigned char* t = sqlite3_column_text(stmt.get(), col);
        return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
    };
    while (sqlite3_step(stmt.get()) == SQLITE_ROW) {
        const std::string card = text(0);
        if (!cards.count(card))
            order.push_back(card);
        cards[card].props[text(1)] = text(2);
    }
    for (const std::string& id : order) {
        auto& p = cards[id].props;
        const std::string email = p["PrimaryEmail"];
        if (email.empty())
            continue;
        std::string name = p["DisplayName"];
        if (name.empty())
            name =
                p["FirstName"] + (p["FirstName"].empty() || p["LastName"].empty() ? "" : " ") + p["LastName"];
        out.push_back({profile, name.empty() ? email : name, email});
    }
}

} // namespace

std::vector<TbContact> thunderbirdContacts(const NssDatabase& profile) {
    std::vector<std::string> books;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(profile.dir, ec)) {
        const std::string name = e.path().filename().string();
        if (name.rfind("abook", 0) == 0 && name.size() > 7 && name.substr(name.size() - 7) == ".sqlite")
            books.push_back(e.path().string());
    }
    std::sort(books.begin(), books.end()); // the same order at every reading
    std::vector<TbContact> out;
    for (const std::string& book : books)
        readBook(book, profile, out);
    return out;
}

} // namespace yx::nss
