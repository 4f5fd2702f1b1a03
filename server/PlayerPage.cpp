#include "PlayerPage.h"

namespace zx::server {

namespace {

const char* const kStyle =
    "<style>body{font-family:sans-serif;background:#222;color:#eee;margin:2em}"
    "a{color:#8cf}canvas,video{display:block;margin:1em 0;background:#000}</style>";

std::string head(const std::string& title, const std::string& extra = {}) {
    return "<!doctype html>\n<html><head><meta charset=\"utf-8\"><title>" + htmlEscape(title) +
           "</title>" + kStyle + extra + "</head>\n<body>\n";
}

std::string details(const Item& item) {
    return "<h1>" + htmlEscape(item.title) + "</h1>\n<p class=\"owner\">by " +
           htmlEscape(item.owner) + " &middot; " + htmlEscape(item.category) + "</p>\n";
}

std::string footer(const Item& item) {
    return "<p class=\"description\">" + htmlEscape(item.description) +
           "</p>\n<p>Short link: <a href=\"/s/" + item.handle + "\">/s/" + item.handle +
           "</a></p>\n";
}

std::string scenePage(const Item& item) {
    const std::string scripts =
        "<script src=\"/zelvotrixv2.js\"></script><script src=\"/pub/json/" + item.handle +
        ".js\"></script>";
    return head(item.title, scripts) + details(item) +
           "<canvas id=\"zxcanvas\"></canvas>\n"
           "<script>\nvar zxplayer;\ndocument.body.onload = function () {\n"
           "  zxplayer = new Zelvotrix(\"zxcanvas\", zxdef);\n"
           "  window.requestAnimationFrame(frame);\n};\n"
           "function frame() {\n  zxplayer.renderFrame();\n"
           "  window.requestAnimationFrame(frame);\n}\n</script>\n" +
           footer(item) + "</body></html>\n";
}

std::string videoPage(const Item& item, int width, int height) {
    std::string size;
    if (width > 0 && height > 0)
        size = " width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) + "\"";
    const std::string base = "/pub/video/" + item.handle;
    return head(item.title) + details(item) + "<video controls" + size + " poster=\"/pub/vig/" +
           item.handle + ".jpg\">\n<source src=\"" + base +
           ".webm\" type=\"video/webm\">\n<source src=\"" + base +
           ".mp4\" type=\"video/mp4\">\n</video>\n" + footer(item) + "</body></html>\n";
}

} // namespace

std::string htmlEscape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string itemPage(const Item& item, int width, int height) {
    return item.media == "video" ? videoPage(item, width, height) : scenePage(item);
}

std::string itemListPage(const std::vector<Item>& items) {
    std::string out = head("Published items") + "<h1>Published items</h1>\n<ul>\n";
    for (const Item& i : items)
        out += "<li><a href=\"/?h=" + i.handle + "\">" + htmlEscape(i.title) + "</a> by " +
               htmlEscape(i.owner) + "</li>\n";
    return out + "</ul>\n</body></html>\n";
}

std::string messagePage(const std::string& title, const std::string& text) {
    return head(title) + "<h1>" + htmlEscape(title) + "</h1>\n<p>" + htmlEscape(text) +
           "</p>\n</body></html>\n";
}

} // namespace zx::server
