#pragma once
// The pages a browser sees: one published item ("/?h=HANDLE"), the list of public
// items, and the short message pages. All user text is HTML-escaped.

#include "ServerDatabase.h"

#include <string>
#include <vector>

namespace zx::server {

std::string htmlEscape(const std::string& text);

// The page of a scene (played by the WebGL player) or of a video (an HTML5 video
// element); `width` × `height` is the video's size, 0 when unknown.
std::string itemPage(const Item& item, int width = 0, int height = 0);
std::string itemListPage(const std::vector<Item>& items);
std::string messagePage(const std::string& title, const std::string& text);

} // namespace zx::server
