#pragma once
// What happens to a file dropped on the main window, by its extension.

#include <filesystem>
#include <string>
#include <string_view>

namespace zx {

enum class DropAction { OpenProject, ImportImage, Message };

struct DropRoute {
    DropAction action = DropAction::Message;
    std::string message; // for DropAction::Message
};

inline constexpr std::string_view kDropLibraryMessage =
    "To load a library object, please use \"File\" \"Load Object\" from the main menu";
inline constexpr std::string_view kDropUnknownMessage = "Unrecognized file format";

DropRoute routeDroppedFile(const std::filesystem::path& path);

} // namespace zx
