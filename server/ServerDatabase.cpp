#include "ServerDatabase.h"

#include <sqlite3.h>

#include <initializer_list>
#include <string_view>

namespace zx::server {

namespace {

// Each migration takes the schema from its index to the next version.
constexpr const char* kMigrations[] = {
    "CREATE TABLE accounts ("
    " name TEXT PRIMARY KEY COLLATE NOCASE,"
    " password_hash TEXT NOT NULL,"
    " mail TEXT NOT NULL,"
    " adult INTEGER NOT NULL DEFAULT 0,"
    " created TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP);"
    "CREATE TABLE items ("
    " handle TEXT PRIMARY KEY,"
    " owner TEXT,"
    " media TEXT,"
    " privacy TEXT,"
    " category TEXT,"
    " title TEXT,"
    " description TEXT,"
    " registered INTEGER NOT NULL DEFAULT 0,"
    " reserved TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP);",
    "ALTER TABLE items ADD COLUMN crosslog TEXT;",
};

// A prepared statement with its parameters bound in order.
class Statement {
public:
    Statement(sqlite3* db, const char* sql, std::initializer_list<std::string_view> params) {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) return;
        int i = 1;
        for (std::string_view p : params)
            sqlite3_bind_text(stmt_, i++, p.data(), int(p.size()), SQLITE_TRANSIENT);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bindInt(int index, int value) {
        if (stmt_) sqlite3_bind_int(stmt_, index, value);
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    bool run() { return step() == SQLITE_DONE; }
    std::string text(int column) const {
        const unsigned char* t = sqlite3_column_text(stmt_, column);
        return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
    }
    int integer(int column) const { return sqlite3_column_int(stmt_, column); }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

} // namespace

std::unique_ptr<ServerDatabase> ServerDatabase::open(const std::filesystem::path& file,
                                                     std::string* error) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(
        file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
        nullptr);
    if (rc != SQLITE_OK) {
        if (error) *error = db ? sqlite3_errmsg(db) : "cannot open the database";
        sqlite3_close(db);
        return nullptr;
    }
    std::unique_ptr<ServerDatabase> out(new ServerDatabase(db));
    sqlite3_busy_timeout(db, 5000);
    if (!out->execute("PRAGMA journal_mode=WAL;") || !out->migrate(error)) return nullptr;
    return out;
}

ServerDatabase::~ServerDatabase() {
    sqlite3_close(db_);
}

bool ServerDatabase::execute(const char* sql) {
    return sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

int ServerDatabase::schemaVersion() {
    std::lock_guard lock(mutex_);
    Statement s(db_, "PRAGMA user_version;", {});
    return s.step() == SQLITE_ROW ? s.integer(0) : -1;
}

bool ServerDatabase::migrate(std::string* error) {
    const int current = schemaVersion();
    const int latest = int(std::size(kMigrations));
    for (int v = current; v >= 0 && v < latest; ++v) {
        const std::string sql = std::string("BEGIN;") + kMigrations[v] +
                                "PRAGMA user_version=" + std::to_string(v + 1) + ";COMMIT;";
        if (!execute(sql.c_str())) {
            if (error) *error = sqlite3_errmsg(db_);
            execute("ROLLBACK;");
            return false;
        }
    }
    if (current < 0 || current > latest) {
        if (error) *error = "the database's schema is newer than this server";
        return false;
    }
    return true;
}

bool ServerDatabase::healthy() {
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT count(*) FROM accounts;", {});
    return s.step() == SQLITE_ROW;
}

bool ServerDatabase::accountExists(const std::string& name) {
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT 1 FROM accounts WHERE name = ?;", {name});
    return s.step() == SQLITE_ROW;
}

bool ServerDatabase::addAccount(const Account& a) {
    std::lock_guard lock(mutex_);
    Statement s(db_, "INSERT INTO accounts (name, password_hash, mail, adult) VALUES (?, ?, ?, ?);",
                {a.name, a.passwordHash, a.mail});
    s.bindInt(4, a.adult ? 1 : 0);
    return s.run();
}

std::optional<Account> ServerDatabase::account(const std::string& name) {
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT name, password_hash, mail, adult FROM accounts WHERE name = ?;",
                {name});
    if (s.step() != SQLITE_ROW) return std::nullopt;
    return Account{s.text(0), s.text(1), s.text(2), s.integer(3) != 0};
}

bool ServerDatabase::reserveHandle(const std::string& handle, const std::string& owner) {
    std::lock_guard lock(mutex_);
    return Statement(db_, "INSERT INTO items (handle, owner) VALUES (?, ?);", {handle, owner})
        .run();
}

bool ServerDatabase::handleReserved(const std::string& handle, const std::string& owner) {
    std::lock_guard lock(mutex_);
    Statement s(db_,
                "SELECT 1 FROM items WHERE handle = ? AND owner = ? COLLATE NOCASE"
                " AND registered = 0;",
                {handle, owner});
    return s.step() == SQLITE_ROW;
}

bool ServerDatabase::registerItem(const Item& i) {
    std::lock_guard lock(mutex_);
    Statement s(
        db_,
        "UPDATE items SET owner = ?, media = ?, privacy = ?, category = ?, title = ?,"
        " description = ?, registered = 1"
        " WHERE handle = ? AND owner = ? COLLATE NOCASE AND registered = 0;",
        {i.owner, i.media, i.privacy, i.category, i.title, i.description, i.handle, i.owner});
    return s.run() && sqlite3_changes(db_) == 1;
}

std::optional<Item> ServerDatabase::item(const std::string& handle) {
    std::lock_guard lock(mutex_);
    Statement s(db_,
                "SELECT handle, owner, media, privacy, category, title, description, registered"
                " FROM items WHERE handle = ?;",
                {handle});
    if (s.step() != SQLITE_ROW) return std::nullopt;
    return Item{s.text(0), s.text(1), s.text(2), s.text(3),
                s.text(4), s.text(5), s.text(6), s.integer(7) != 0};
}

bool ServerDatabase::setCrossLog(const std::string& handle, const std::string& user) {
    std::lock_guard lock(mutex_);
    Statement s(db_, "UPDATE items SET crosslog = ? WHERE handle = ? AND owner = ?;",
                {user, handle, user});
    return s.run() && sqlite3_changes(db_) == 1;
}

std::vector<Item> ServerDatabase::publicItems(int limit) {
    std::lock_guard lock(mutex_);
    Statement s(db_,
                "SELECT handle, owner, media, privacy, category, title, description FROM items"
                " WHERE registered = 1 AND privacy = 'Public' ORDER BY rowid DESC LIMIT ?;",
                {});
    s.bindInt(1, limit);
    std::vector<Item> out;
    while (s.step() == SQLITE_ROW)
        out.push_back(Item{s.text(0), s.text(1), s.text(2), s.text(3), s.text(4), s.text(5),
                           s.text(6), true});
    return out;
}

} // namespace zx::server
