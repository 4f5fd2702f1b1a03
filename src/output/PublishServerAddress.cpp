#include "output/PublishServerAddress.h"

#include <sstream>

namespace zx {

namespace {

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

// The authority part ("user:pw@host:port") of a URL with a scheme.
std::string_view authority(std::string_view url) {
    const size_t start = url.find("://");
    if (start == std::string_view::npos) return {};
    std::string_view rest = url.substr(start + 3);
    return rest.substr(0, rest.find_first_of("/?#"));
}

std::string hostOf(std::string_view url) {
    std::string_view a = authority(url);
    if (size_t at = a.rfind('@'); at != std::string_view::npos) a = a.substr(at + 1);
    if (!a.empty() && a.front() == '[') return std::string(a.substr(0, a.find(']') + 1));
    return std::string(a.substr(0, a.find(':')));
}

} // namespace

bool isFtpAddress(std::string_view text) {
    return (startsWith(text, "ftp://") || startsWith(text, "ftps://")) && !hostOf(text).empty();
}

std::string withoutCredentials(std::string_view url) {
    const std::string_view a = authority(url);
    const size_t at = a.rfind('@');
    if (at == std::string_view::npos) return std::string(url);
    const size_t start = url.find("://") + 3;
    return std::string(url.substr(0, start)) + std::string(url.substr(start + at + 1));
}

std::optional<PublishServerAddress> parsePublishServer(std::string_view text) {
    std::istringstream words{std::string(text)};
    std::string http, ftp, extra;
    words >> http >> ftp >> extra;
    if (!startsWith(http, "http://") && !startsWith(http, "https://")) return std::nullopt;
    if (hostOf(http).empty() || !extra.empty()) return std::nullopt;
    if (!ftp.empty() && !isFtpAddress(ftp)) return std::nullopt;
    while (!http.empty() && http.back() == '/') http.pop_back();
    while (!ftp.empty() && ftp.back() == '/') ftp.pop_back();
    return PublishServerAddress{http, ftp, hostOf(http), {}};
}

} // namespace zx
