#pragma once
// Where "Remember me" keeps a publishing password: the desktop's keyring, when one
// answers. Without a vault, or when the keyring does not answer, the publish dialog
// keeps the password in the settings file as before and says so.

#include <QString>

#include <optional>

namespace zx {

class PasswordVault {
public:
    virtual ~PasswordVault() = default;
    // False when no keyring answers (none installed, none running, access refused).
    virtual bool available() = 0;
    virtual std::optional<QString> read(const QString& user) = 0;
    // False when the keyring did not take it.
    virtual bool write(const QString& user, const QString& password) = 0;
    virtual void erase(const QString& user) = 0;
};

} // namespace zx
