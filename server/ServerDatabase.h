#pragma once
// The publication server's database: accounts, handles and published items in one
// SQLite file. The schema is brought up to date when the file is opened; every
// statement is prepared with bound parameters. One connection, used under a mutex,
// so the server's request threads may share it.

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace zx::server {

struct Account {
    std::string name;
    std::string passwordHash;
    std::string mail;
    bool adult = false;
};

struct Item {
    std::string handle;
    std::string owner;
    std::string media; // "animation" or "video"
    std::string privacy;
    std::string category;
    std::string title;
    std::string description;
    bool registered = false; // false while the handle waits for its upload
};

class ServerDatabase {
public:
    // Opens (creating when missing) and migrates the database; none when it cannot.
    static std::unique_ptr<ServerDatabase> open(const std::filesystem::path& file,
                                                std::string* error = nullptr);
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    // The schema version the file has now.
    int schemaVersion();
    bool healthy();

    // Names compare without regard to case.
    bool accountExists(const std::string& name);
    bool addAccount(const Account& account);
    std::optional<Account> account(const std::string& name);

    // Reserves a handle for a publication under way by `owner`.
    bool reserveHandle(const std::string& handle, const std::string& owner);
    // True while the handle is reserved by `owner` and not yet registered.
    bool handleReserved(const std::string& handle, const std::string& owner);
    // Registers the item of a handle its owner reserved; false for an unknown, used or
    // someone else's handle.
    bool registerItem(const Item& item);
    std::optional<Item> item(const std::string& handle);
    bool setCrossLog(const std::string& handle, const std::string& user);
    // The newest registered public items, newest first.
    std::vector<Item> publicItems(int limit);

private:
    explicit ServerDatabase(sqlite3* db) : db_(db) {}
    bool migrate(std::string* error);
    bool execute(const char* sql);

    std::mutex mutex_;
    sqlite3* db_;
};

} // namespace zx::server
