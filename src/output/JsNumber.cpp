#include "output/JsNumber.h"

#include <cmath>
#include <cstdio>

namespace zx {

namespace {

constexpr int kDecimals = 5;

bool endsWith(const std::string& text, const char* tail) {
    const std::string t(tail);
    return text.size() >= t.size() && text.compare(text.size() - t.size(), t.size(), t) == 0;
}

} // namespace

std::string jsNumberRaw(double value) {
    if (!std::isfinite(value)) value = 0;
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", kDecimals, std::fabs(value));
    std::string digits(buffer);
    // Fixed-point digits with the point; a zero integer part leaves only the point.
    if (digits.compare(0, 2, "0.") == 0) digits.erase(0, 1);
    std::string text = (value < 0 ? "-" : "") + digits;
    while (text.size() > 1 && endsWith(text, "00")) text.pop_back();
    if (text == "-.0") text = ".0";
    return text;
}

std::string jsNumber(double value) {
    std::string text = jsNumberRaw(value);
    if (text == ".0") return "0";
    if (endsWith(text, ".0")) {
        text.resize(text.size() - 2);
    } else if (text.find('.') != std::string::npos && endsWith(text, "0")) {
        text.pop_back();
    }
    return text;
}

} // namespace zx
