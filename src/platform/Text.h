#pragma once
// Names in our files (layers, objects, images, library files) are 8-bit text in the
// Windows-1252 code page. They are kept as the bytes the file gave and turned into
// UTF-8 only where they are shown, so a save writes back exactly what was read.

#include <filesystem>
#include <string>
#include <string_view>

namespace zx {

// The UTF-8 form of Windows-1252 text. Bytes the code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) become the C1 control of the same number, as Windows does.
std::string cp1252ToUtf8(std::string_view text);

// The Windows-1252 form of UTF-8 text, for names the user types; characters the code
// page lacks become '?', and so do malformed sequences.
std::string utf8ToCp1252(std::string_view text);

// The lower-case extension of a path without its dot ("a.b.PNG" gives "png"), or empty.
std::string lowerExtension(const std::filesystem::path& path);

} // namespace zx
