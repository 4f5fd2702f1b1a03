#pragma once
// The one crossing between the engine's text and Qt's. Engine text (names from our
// files, labels, messages) is Windows-1252 bytes; Qt holds Unicode. File system paths
// are not names: they cross as the system's own bytes.

#include <QString>

#include <filesystem>
#include <string>
#include <string_view>

namespace zx {

// Engine text as Qt shows it.
QString qtText(std::string_view engineText);
// What the user typed or picked, as the engine keeps it (characters Windows-1252
// lacks become '?').
std::string engineText(const QString& text);

QString qtPath(const std::filesystem::path& path);
std::filesystem::path enginePath(const QString& path);

} // namespace zx
