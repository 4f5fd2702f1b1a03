#pragma once
// Salted password hashes (PBKDF2-HMAC-SHA256) and random tokens, from OpenSSL.

#include <string>

namespace zx::server {

// "pbkdf2-sha256$ITERATIONS$SALT$HASH" with a fresh random salt (hex).
std::string hashPassword(const std::string& password, int iterations = 100000);
// True when `password` gives `stored`; compared in constant time.
bool verifyPassword(const std::string& password, const std::string& stored);
// `length` random letters and digits (for handles and session tokens).
std::string randomToken(size_t length);

} // namespace zx::server
