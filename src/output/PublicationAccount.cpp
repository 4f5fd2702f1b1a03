#include "output/PublicationAccount.h"

#include <algorithm>

namespace zx {

namespace {

constexpr size_t kMinUserName = 3, kMaxUserName = 20;
constexpr size_t kMinPassword = 4, kMaxPassword = 10;
constexpr const char* kNotAvailable = ": This user name is not available";

bool wordCharacters(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](unsigned char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

bool isGuest(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return lower == "guest";
}

} // namespace

std::string userNameProblem(const std::string& user) {
    if (user.size() < kMinUserName || user.size() > kMaxUserName)
        return "User name should be between 3 and 20 characters";
    if (!wordCharacters(user))
        return "User name can only use alphanumeric characters (a-z, A-Z, 0-9 and _)";
    return {};
}

std::string accountRuleProblem(const NewAccount& a) {
    if (std::string p = userNameProblem(a.user); !p.empty()) return p;
    if (a.password.size() < kMinPassword || a.password.size() > kMaxPassword)
        return "Password should be between 4 and 10 characters";
    if (!wordCharacters(a.password))
        return "Password can only use alphanumeric characters (a-z, A-Z, 0-9 and _)";
    if (a.password != a.confirmation) return "Passwords don't match";
    return {};
}

Status loginToService(PublicationClient& client, const std::string& user,
                      const std::string& password) {
    client.user.clear();
    client.adultAllowed = false;
    if (user.empty() || password.empty())
        return Status::refused("Please enter user name and password first");
    if (!client.connect()) return Status::failed("Cannot connect to " + client.address().http);
    const std::string answer = client.command("login", {{"user", user}, {"pass", password}});
    if (answer == kCommandFailed || answer.empty())
        return Status::refused("Invalid user name or password");
    client.user = user;
    client.adultAllowed = client.command("getadult", {{"user", user}}) == "ok";
    return Status::ok();
}

void logoutFromService(PublicationClient& client) {
    if (client.loggedIn()) (void)client.command("logout");
    client.user.clear();
    client.adultAllowed = false;
}

std::string publishingAsText(const PublicationClient& client) {
    return "Publishing as " + (client.loggedIn() ? client.user : std::string("Guest"));
}

std::string userNameAvailability(PublicationClient& client, const std::string& user) {
    if (std::string p = userNameProblem(user); !p.empty()) return p;
    if (isGuest(user) || client.command("userexists", {{"user", user}}) == "ok")
        return user + kNotAvailable;
    return user + ": Available";
}

Result<std::string> createAccount(PublicationClient& client, const NewAccount& a) {
    if (std::string p = accountRuleProblem(a); !p.empty()) return Status::refused(p);
    if (isGuest(a.user)) return Status::refused(a.user + kNotAvailable);
    const std::string exists = client.command("userexists", {{"user", a.user}});
    if (exists == "ok") return Status::refused(a.user + kNotAvailable);
    if (exists.empty() || exists == kCommandFailed)
        return Status::failed(client.failureMessage(kDatabaseProblem));
    const std::string answer = client.command(
        "adduser",
        {{"user", a.user}, {"pass", a.password}, {"mail", a.mail}, {"adult", a.adult ? "1" : "0"}});
    if (answer != "ok") return Status::failed(client.failureMessage(kDatabaseProblem));
    return a.user + ": Account successfully created";
}

} // namespace zx
