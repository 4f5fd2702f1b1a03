#include "output/Publication.h"

#include "output/PublicationSteps.h"
#include "platform/SafeFile.h"

#include <zlib.h>

#include <charconv>
#include <cstring>

namespace zx {

namespace fs = std::filesystem;
using namespace publication;

namespace {

constexpr int kMinTitleLetters = 4;
constexpr const char* kArchiveFile = "zxgl_zip.zip";
constexpr const char* kPublishedTexture = "zxwebgl_tex.png";

int utf8Letters(const std::string& s) {
    int n = 0;
    for (unsigned char c : s) n += (c & 0xC0) != 0x80;
    return n;
}

// Every `from` replaced left to right, in one pass over the text.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size());
    size_t at = 0;
    for (size_t hit = text.find(from); hit != std::string_view::npos; hit = text.find(from, at)) {
        out.append(text, at, hit - at).append(to);
        at = hit + from.size();
    }
    return out.append(text.substr(at));
}

// Script text outside string literals, so that what the user wrote is never changed.
std::string publishedCode(std::string_view code) {
    // Twice: ",0,0," leaves ",,0," after the first pass.
    return replaceAll(replaceAll(replaceAll(code, "zxwebgl_zxdef", "zxdef"), ",0,", ",,"), ",0,",
                      ",,");
}

// Where the string literal starting at `open` ends (one past its closing quote).
size_t stringEnd(const std::string& text, size_t open) {
    for (size_t i = open + 1; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == text[open])
            return i + 1;
    }
    return text.size();
}

Status gzipFile(const fs::path& from, const fs::path& to) {
    const std::optional<std::vector<std::byte>> data = readWholeFile(from);
    if (!data) return Status::failed("Can't open file for output", from.string());
    const std::string text =
        publishedDataText(std::string(reinterpret_cast<const char*>(data->data()), data->size()));
    gzFile gz = gzopen(to.c_str(), "wb");
    bool ok = gz != nullptr;
    for (size_t at = 0; ok && at < text.size(); at += 1 << 20) {
        const unsigned piece = unsigned(std::min(text.size() - at, size_t(1) << 20));
        ok = gzwrite(gz, text.data() + at, piece) == int(piece);
    }
    if (gz && gzclose(gz) != Z_OK) ok = false;
    return ok ? Status::ok() : Status::failed("Can't open file for output", to.string());
}

// Step 4: the scene files, written in publish mode, and the archive of the data file.
Status buildScene(const Project& project, WebGlExportOptions options, const fs::path& player,
                  const PublicationClient& client, const PublicationDetails& d,
                  const std::string& handle, const TempFolder& temp, Prompter& prompter) {
    options.publish = true;
    options.publishedName = handle;
    options.page.owner = client.user;
    options.page.title = d.title;
    options.page.description = d.description;
    options.page.privacy = d.privacy;
    options.page.category = d.category;
    if (Status s = exportWebGl(project, options, temp / "scene", player, &prompter); !s) return s;
    if (Status s = gzipFile(temp / "scene" / kWebGlDataFile, temp / kArchiveFile); !s)
        return fail(prompter, s.message(), s.detail());
    return Status::ok();
}

} // namespace

Status checkPublicationDetails(const PublicationClient& client, const PublicationDetails& d) {
    if (utf8Letters(d.title) < kMinTitleLetters)
        return Status::refused("Please enter a title (at least 4 characters");
    bool privacy = false, category = false;
    for (const char* p : kPublicationPrivacies) privacy = privacy || d.privacy == p;
    for (const PublicationCategory& c : kPublicationCategories)
        category =
            category || (d.category == c.value && (d.category != "Adult" || client.adultAllowed));
    if (!privacy) return Status::refused("Unknown privacy: " + d.privacy);
    if (!category) return Status::refused("Unknown category: " + d.category);
    return Status::ok();
}

std::string publishedDataText(std::string text) {
    std::string out;
    size_t at = 0;
    while (at < text.size()) {
        size_t open = text.find_first_of("\"'", at);
        if (open == std::string::npos) open = text.size();
        out += publishedCode(std::string_view(text).substr(at, open - at));
        const size_t close = open < text.size() ? stringEnd(text, open) : open;
        out.append(text, open, close - open);
        at = close;
    }
    return out;
}

Result<PublishedItem> publishScene(PublicationClient& client, const Project& project,
                                   WebGlExportOptions options, const fs::path& playerScript,
                                   const PublicationDetails& details, SettingsStore& settings,
                                   Progress& progress, Prompter& prompter) {
    if (Status s = checkBeforePublishing(client, details, prompter); !s) return s;
    Result<std::string> handle = reserveHandle(client, prompter);
    if (!handle) return handle.status();
    showFtpNotice(settings, prompter);
    progress.setDetail("Building database...");
    TempFolder temp;
    if (!temp.ok()) return fail(prompter, "Can't open file for output");
    if (Status s = buildScene(project, std::move(options), playerScript, client, details, *handle,
                              temp, prompter);
        !s)
        return s;
    if (Status s = reachUploadArea(client, progress, prompter); !s) return s;
    if (Status s = uploadStep(client, temp / kArchiveFile, "json", *handle + ".zip",
                              "Uploading database...", progress, prompter);
        !s)
        return s;
    if (client.command("unzip", {{"handle", *handle}}) != "ok")
        return fail(prompter, "File unzip failed on server");
    if (Status s = uploadStep(client, temp / "scene" / kPublishedTexture, "img", *handle + ".png",
                              "Uploading textures...", progress, prompter);
        !s)
        return s;
    if (Status s = uploadStep(client, temp / "scene" / kWebGlThumbnailFile, "vig", *handle + ".jpg",
                              "Uploading vignette...", progress, prompter);
        !s)
        return s;
    return finishPublication(client, *handle, "animation", details, progress, prompter);
}

Result<double> latestProgramVersion(PublicationClient& client) {
    const std::string answer = client.command("zxversion");
    double version = 0;
    const char* end = answer.data() + answer.size();
    const auto [ptr, ec] = std::from_chars(answer.data(), end, version);
    if (answer.empty() || ec != std::errc() || ptr != end || !(version >= 0))
        return Status::failed(client.failureMessage(kDatabaseProblem));
    return version;
}

} // namespace zx
