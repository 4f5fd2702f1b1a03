#include "PasswordHash.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>
#include <vector>

namespace zx::server {

namespace {

constexpr const char* kScheme = "pbkdf2-sha256";
constexpr size_t kSaltBytes = 16, kHashBytes = 32;

std::vector<unsigned char> randomBytes(size_t n) {
    std::vector<unsigned char> out(n);
    if (RAND_bytes(out.data(), int(n)) != 1) throw std::runtime_error("no random bytes");
    return out;
}

std::string hex(const std::vector<unsigned char>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) out += {digits[b >> 4], digits[b & 15]};
    return out;
}

std::vector<unsigned char> derive(const std::string& password, const std::string& salt,
                                  int iterations) {
    std::vector<unsigned char> out(kHashBytes);
    PKCS5_PBKDF2_HMAC(password.data(), int(password.size()),
                      reinterpret_cast<const unsigned char*>(salt.data()), int(salt.size()),
                      iterations, EVP_sha256(), int(out.size()), out.data());
    return out;
}

} // namespace

std::string hashPassword(const std::string& password, int iterations) {
    const std::string salt = hex(randomBytes(kSaltBytes));
    return std::string(kScheme) + "$" + std::to_string(iterations) + "$" + salt + "$" +
           hex(derive(password, salt, iterations));
}

bool verifyPassword(const std::string& password, const std::string& stored) {
    const size_t a = stored.find('$'), b = stored.find('$', a + 1), c = stored.find('$', b + 1);
    if (c == std::string::npos || stored.substr(0, a) != kScheme) return false;
    int iterations = 0;
    try {
        iterations = std::stoi(stored.substr(a + 1, b - a - 1));
    } catch (const std::exception&) {
        return false;
    }
    if (iterations < 1 || iterations > 10000000) return false;
    const std::string expected = stored.substr(c + 1);
    const std::string actual = hex(derive(password, stored.substr(b + 1, c - b - 1), iterations));
    return expected.size() == actual.size() &&
           CRYPTO_memcmp(expected.data(), actual.data(), actual.size()) == 0;
}

std::string randomToken(size_t length) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string out;
    // 248 is the largest multiple of 62 below 256: rejecting the rest keeps it uniform.
    while (out.size() < length)
        for (unsigned char b : randomBytes(length))
            if (b < 248 && out.size() < length) out += alphabet[b % 62];
    return out;
}

} // namespace zx::server
