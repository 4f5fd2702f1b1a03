#pragma once
// Accounts of the publication service: logging in, checking a new name and creating
// an account. The rules are checked before anything is sent, so a name the server
// would refuse costs no request.

#include "output/PublicationClient.h"
#include "platform/Status.h"

#include <string>

namespace zx {

struct NewAccount {
    std::string user, password, confirmation, mail;
    bool adult =
        false; // "I certify that I am adult and that viewing adult content is legal in my country"
};

// The first rule the new account breaks, as the user is told; empty when none.
std::string accountRuleProblem(const NewAccount& account);
// The name rules alone.
std::string userNameProblem(const std::string& user);

// Logs in and asks whether the user may publish adult content. Refused with "Please
// enter user name and password first" or "Invalid user name or password"; failed
// with "Cannot connect to …" when the server cannot be reached.
Status loginToService(PublicationClient& client, const std::string& user,
                      const std::string& password);
void logoutFromService(PublicationClient& client);
// "Publishing as " + the user, or "Publishing as Guest".
std::string publishingAsText(const PublicationClient& client);

// The name + ": Available" or + ": This user name is not available" ("guest" in any
// case is never available and needs no request), or the rule the name breaks.
std::string userNameAvailability(PublicationClient& client, const std::string& user);

// Creates the account: ok with the name + ": Account successfully created".
Result<std::string> createAccount(PublicationClient& client, const NewAccount& account);

} // namespace zx
