#pragma once
// The rules of the movie save dialog, without the dialog: the proposed name, the
// extension following the chosen format and the other way round, the bit rates, and
// what happens to the name on OK.

#include "output/MovieExport.h"
#include "output/VideoFormat.h"
#include "platform/Prompter.h"
#include "platform/Status.h"

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zx {

inline constexpr std::array<int, 4> kPresetBitRates = {600, 1200, 2400, 3600};
inline constexpr int kDefaultCustomBitRate = 1000;
inline constexpr std::string_view kBitRateOutOfRange = "Bit rate out of range";
inline constexpr std::string_view kInvalidVideoFileType = "Invalid file type";

// What the user chose in the dialog.
struct MovieExportChoice {
    std::filesystem::path path; // ends in the format's extension
    VideoFormat format = VideoFormat::Wmv;
    int bitRate = 2400; // kbit/s
    bool markersOnly = false;
    bool maximumQuality = true;
    bool blackTrailer = false;
};

// The document title without any '*', cut before its last '.', plus ".wmv".
std::string proposedMovieName(std::string_view documentTitle);
// `name` with its extension replaced by the format's, or the format's added when it has
// none.
std::filesystem::path withVideoExtension(const std::filesystem::path& name, VideoFormat format);
// The custom bit rate typed, when it is a whole number in kMinBitRate … kMaxBitRate.
std::optional<int> customBitRate(std::string_view text);

// The file the dialog settles on when OK is pressed with `name` and `format` chosen:
// a relative name lies in `folder`; an extension that names no format is refused with
// kInvalidVideoFileType shown; a missing one is the format's. An existing file is
// replaced only when the user says Yes (else cancelled: the dialog stays open).
Result<std::filesystem::path> confirmMovieName(const std::filesystem::path& name,
                                               VideoFormat format,
                                               const std::filesystem::path& folder,
                                               Prompter& prompter);

// The export's options for a choice over a movie of the given size, frame rate and
// markers (first and last frame, both included).
MovieExportOptions movieExportOptions(const MovieExportChoice& choice, int width, int height,
                                      int framesPerSecond, FrameRange markers);

} // namespace zx
