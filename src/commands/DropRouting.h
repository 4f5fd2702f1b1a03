#pragma once
// What happens to a file dropped on the main window, by its extension.

#include <filesystem>
#include <string>

namespace zx {

enum class DropAction { OpenProject, ImportImage, Message };

struct DropRoute {
    DropAction action = DropAction::Message;
    std::string message; // for DropAction::Message
};

inline constexpr const char* kDropLibraryMessage =
    "To load a library object, please use \"File\" \"Load Object\" from the main menu";
inline constexpr const char* kDropUnknownMessage = "Unrecognized file format";

DropRoute routeDroppedFile(const std::filesystem::path& path);

} // namespace zx
