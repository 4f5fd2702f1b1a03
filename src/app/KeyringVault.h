#pragma once
// The desktop's keyring (Secret Service, KWallet) through QtKeychain. Each call waits
// for its answer in a local event loop, so the window keeps painting while the
// keyring asks the user to unlock it; a keyring that never answers counts as absent.

#include "app/AppLayer.h"
#include "ui/PasswordVault.h"

namespace zx {

class KeyringVault : public PasswordVault {
public:
    bool available() override;
    std::optional<QString> read(const QString& user) override;
    bool write(const QString& user, const QString& password) override;
    void erase(const QString& user) override;

private:
    std::optional<bool> available_;
};

} // namespace zx
