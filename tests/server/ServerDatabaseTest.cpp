#include "ServerDatabase.h"
#include "PasswordHash.h"
#include "PlayerPage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace zx::server {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    fs::path path;
    TempDir() {
        std::string p = (fs::temp_directory_path() / "zx-server-XXXXXX").string();
        path = ::mkdtemp(p.data());
    }
    ~TempDir() { fs::remove_all(path); }
};

const std::string kHostile = "Tom's \"<b>\" & =#; DROP TABLE items; -- \xC3\xA9t\xC3\xA9";

TEST(ServerDatabase, MigratesOnceAndKeepsDataAcrossReopening) {
    TempDir dir;
    {
        auto db = ServerDatabase::open(dir.path / "p.db");
        ASSERT_TRUE(db);
        EXPECT_GT(db->schemaVersion(), 0);
        EXPECT_TRUE(db->healthy());
        ASSERT_TRUE(db->addAccount({"Alice", hashPassword("pw12", 1000), "a@b", true}));
    }
    auto db = ServerDatabase::open(dir.path / "p.db");
    ASSERT_TRUE(db);
    const auto alice = db->account("aLiCe");
    ASSERT_TRUE(alice);
    EXPECT_EQ(alice->name, "Alice");
    EXPECT_TRUE(alice->adult);
    EXPECT_TRUE(verifyPassword("pw12", alice->passwordHash));
    // Names are unique whatever their case.
    EXPECT_FALSE(db->addAccount({"ALICE", "x", "", false}));
}

TEST(ServerDatabase, ItemTextRoundTripsAndHandlesRegisterOnce) {
    TempDir dir;
    auto db = ServerDatabase::open(dir.path / "p.db");
    ASSERT_TRUE(db);
    Item item{"h1", "Alice", "video", "Unlisted", "People", kHostile, kHostile + "\n2", true};
    EXPECT_FALSE(db->registerItem(item)) << "a handle must be reserved first";
    ASSERT_TRUE(db->reserveHandle("h1", "Alice"));
    EXPECT_FALSE(db->reserveHandle("h1", "Bob"));
    EXPECT_TRUE(db->handleReserved("h1", "alice"));
    EXPECT_FALSE(db->handleReserved("h1", "Bob"));
    Item stolen = item;
    stolen.owner = "Bob";
    EXPECT_FALSE(db->registerItem(stolen)) << "only the one who reserved a handle registers it";
    ASSERT_TRUE(db->registerItem(item));
    EXPECT_FALSE(db->registerItem(item)) << "a registered item is never replaced";
    const auto back = db->item("h1");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->title, kHostile);
    EXPECT_EQ(back->description, kHostile + "\n2");
    EXPECT_TRUE(back->registered);
    EXPECT_TRUE(db->healthy());
    EXPECT_TRUE(db->publicItems(10).empty()) << "unlisted items are not listed";
}

TEST(PasswordHash, IsSaltedAndVerifiesOnlyThePassword) {
    const std::string a = hashPassword("secret", 1000), b = hashPassword("secret", 1000);
    EXPECT_NE(a, b);
    EXPECT_TRUE(verifyPassword("secret", a));
    EXPECT_FALSE(verifyPassword("Secret", a));
    EXPECT_FALSE(verifyPassword("secret", a.substr(0, a.size() - 1)));
    EXPECT_FALSE(verifyPassword("secret", "pbkdf2-sha256$x$00$00"));
    EXPECT_EQ(randomToken(40).size(), 40u);
}

TEST(PlayerPage, EscapesEveryUserText) {
    Item item{"abc",
              "<script>o</script>",
              "animation",
              "Public",
              "People",
              kHostile,
              "</p><script>alert(1)</script>",
              true};
    for (const std::string& page : {itemPage(item), itemListPage({item})}) {
        EXPECT_EQ(page.find("<script>alert"), std::string::npos);
        EXPECT_EQ(page.find("<script>o"), std::string::npos);
        EXPECT_EQ(page.find("Tom's"), std::string::npos);
        EXPECT_NE(page.find(htmlEscape(kHostile)), std::string::npos);
    }
}

} // namespace
} // namespace zx::server
