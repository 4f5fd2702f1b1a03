#pragma once
// Where the publication service is: the setting "PublishServer", an http(s) URL for
// the command script and the player pages, optionally followed (after a blank) by the
// FTP address of the upload folder ("ftp://[user[:password]@]host[:port]/path", or
// ftps:// for FTP over TLS). Without an FTP address the server is asked for it.

#include <optional>
#include <string>
#include <string_view>

namespace zx {

inline constexpr const char* kPublishServerSetting = "PublishServer";
// A PEM file of the certificates that sign a server's own certificate (a school's
// server with a self-made one); without it the system's certificates are trusted.
inline constexpr const char* kPublishServerCaSetting = "PublishServerCA";

struct PublishServerAddress {
    std::string http;     // "https://publish.example.org" (no trailing slash)
    std::string ftp;      // "ftp://publish.example.org:2121/zelvotrix/upload", or empty
    std::string siteName; // the host, as messages name the site
    std::string caFile;   // trusted certificates for https and ftps, or empty
};

// None when the text holds no http:// or https:// URL, or an FTP address of another
// scheme.
std::optional<PublishServerAddress> parsePublishServer(std::string_view text);
// True for "ftp://…" and "ftps://…" addresses with a host.
bool isFtpAddress(std::string_view text);
// The address without its user and password, for messages.
std::string withoutCredentials(std::string_view url);

} // namespace zx
