#include "storage/CurveFile.h"

#include "platform/Prompter.h"
#include "platform/SafeFile.h"

#include <charconv>
#include <cstring>

namespace zx {

namespace {

constexpr int kGrid = 512;

// One line at a time, without its line end. A carriage return before the line feed
// is dropped too: the file is meant to be edited by hand, also with Windows editors.
class LineSplitter {
public:
    explicit LineSplitter(std::string_view text) : text_(text) {}
    bool next(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return true;
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A decimal integer in 0 … 512, nothing else on its side of the comma.
bool parseCoordinate(std::string_view s, int& out) {
    s = trim(s);
    if (s.empty()) return false;
    int v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size()) return false;
    if (v < 0 || v > kGrid) return false;
    out = v;
    return true;
}

enum class Expect { Name, Kind, FirstPoint, Point };

} // namespace

CurveFileStatus parseUserCurves(std::string_view text, std::vector<NamedCurve>& table) {
    LineSplitter lines(text);
    std::string_view line;
    if (!lines.next(line) || line != "CURVES") return CurveFileStatus::InvalidHeader;

    Expect state = Expect::Name;
    NamedCurve* current = nullptr;
    while (lines.next(line)) {
        if (line.empty() || line.front() == ';') continue;
        switch (state) {
        case Expect::Name:
            if (line.substr(0, 6) != "CURVE ") return CurveFileStatus::Loaded;
            if (table.size() >= kMaxCurves) return CurveFileStatus::Loaded;
            table.push_back(NamedCurve{std::string(line.substr(6)), 0, {}});
            current = &table.back();
            state = Expect::Kind;
            continue;
        case Expect::Kind:
            if (line == "LINEAR")
                current->linear = 1;
            else if (line == "SPLINE")
                current->linear = 0;
            else
                return CurveFileStatus::Loaded;
            state = Expect::FirstPoint;
            continue;
        case Expect::FirstPoint:
            if (line.substr(0, 2) != "0,") return CurveFileStatus::Loaded;
            [[fallthrough]];
        case Expect::Point: {
            size_t comma = line.find(',');
            int x = 0, y = 0;
            if (comma == std::string_view::npos || !parseCoordinate(line.substr(0, comma), x) ||
                !parseCoordinate(line.substr(comma + 1), y))
                return CurveFileStatus::Loaded;
            current->points.push_back(uint32_t(x) | (uint32_t(y) << 16));
            state = x == kGrid ? Expect::Name : Expect::Point;
            continue;
        }
        }
    }
    return CurveFileStatus::Loaded;
}

CurveFileStatus loadUserCurves(const std::filesystem::path& path, std::vector<NamedCurve>& table,
                               Prompter& prompter) {
    auto bytes = readWholeFile(path);
    if (!bytes) return CurveFileStatus::Missing;
    std::string_view text(reinterpret_cast<const char*>(bytes->data()), bytes->size());
    CurveFileStatus status = parseUserCurves(text, table);
    if (status == CurveFileStatus::InvalidHeader)
        prompter.message(std::string(kCurveHeaderWarningStart) + path.string() +
                         std::string(kCurveHeaderWarningEnd));
    return status;
}

std::string userCurveFileHeader() {
    return "CURVES\n"
           "; This file was created by Zelvotrix. It holds the user defined time curves\n"
           "; You may re-order or remove curves using a basic text editor like NotePad\n"
           "; Zelvotrix user time curves, one CURVE block per curve\n"
           ";" +
           std::string(37, '-') + "\n\n";
}

std::string userCurveText(const NamedCurve& curve) {
    std::string s = "\nCURVE " + curve.name + "\n";
    s += curve.linear ? "LINEAR\n" : "SPLINE\n";
    for (uint32_t p : curve.points) {
        // Both halves as signed 16-bit numbers, as the table holds them.
        s += std::to_string(int(int16_t(p & 0xFFFF)));
        s += ',';
        s += std::to_string(int(int16_t(p >> 16)));
        s += '\n';
    }
    return s;
}

bool ensureUserCurveFile(const std::filesystem::path& path, Prompter& prompter) {
    if (readWholeFile(path)) return true;
    std::string header = userCurveFileHeader();
    if (!writeFileSafely(path, std::as_bytes(std::span(header.data(), header.size())))) {
        prompter.message(path.string() + std::string(kCurveFileNotCreated));
        return false;
    }
    return true;
}

bool addUserCurve(const std::filesystem::path& path, std::vector<NamedCurve>& table,
                  const NamedCurve& curve, Prompter& prompter) {
    if (table.size() >= kMaxCurves) {
        prompter.message(kTooManyCurves);
        return false;
    }
    table.push_back(curve);
    if (!ensureUserCurveFile(path, prompter)) return false;

    // Appending is done as a safe rewrite of the whole (small) file, so a failed
    // write can never cut the user's existing curves short.
    const std::string failure = "Cannot find file " + path.string() + ", cannot save changes";
    auto old = readWholeFile(path);
    if (!old) {
        prompter.message(failure);
        return false;
    }
    std::string text = userCurveText(curve);
    std::vector<std::byte> all = std::move(*old);
    const auto* added = reinterpret_cast<const std::byte*>(text.data());
    all.insert(all.end(), added, added + text.size());
    if (!writeFileSafely(path, all)) {
        prompter.message(failure);
        return false;
    }
    return true;
}

} // namespace zx
