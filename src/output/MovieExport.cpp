#include "output/MovieExport.h"

#include "output/AviWriter.h"
#include "output/EncoderProcess.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace zx {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kBlack = 0xFF000000u;
// Pads an odd width or height by one black pixel: 4:2:0 chroma needs even sizes.
constexpr const char* kEvenSizeFilter = "pad=ceil(iw/2)*2:ceil(ih/2)*2";

// Puts the source's quality back however the export ends.
class QualitySwitch {
public:
    QualitySwitch(MovieFrameSource& source, bool wanted)
        : source_(source), switched_(wanted && source.switchToMaximumQuality()) {}
    ~QualitySwitch() {
        if (switched_) source_.restoreQuality();
    }
    QualitySwitch(const QualitySwitch&) = delete;
    QualitySwitch& operator=(const QualitySwitch&) = delete;

private:
    MovieFrameSource& source_;
    bool switched_;
};

// Whether a finished file could take `path`'s name: its folder takes new files and an
// existing file there may be replaced.
bool canReplace(const fs::path& path) {
    if (!SafeFileWriter(path).ok()) return false;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return true;
    return S_ISREG(st.st_mode) && ::access(path.c_str(), W_OK) == 0 && (st.st_mode & 0222) != 0;
}

Status show(Prompter& prompter, Status status) {
    if (!status.isOk() && !status.isCancelled()) prompter.message(status.message());
    return status;
}

FrameRange rangeOf(const MovieExportOptions& options, int frameCount) {
    if (!options.markers) return {0, frameCount - 1};
    const auto [a, b] = std::minmax(options.markers->first, options.markers->last);
    return {std::clamp(a, 0, frameCount - 1), std::clamp(b, 0, frameCount - 1)};
}

void report(Progress* progress, int done, int total) {
    if (!progress) return;
    progress->setTitle("Exporting movie...");
    progress->setDetail("Rendering frame " + std::to_string(done) + " of " + std::to_string(total));
    progress->setPosition(done, total);
}

// Writes the frames of `range` and the trailer into the open writer.
Status writeFrames(AviWriter& avi, const MovieExportOptions& options, MovieFrameSource& source,
                   FrameRange range, Progress* progress, Prompter& prompter) {
    const int total = range.last - range.first + 1;
    bool sizeToldOnce = false;
    for (int i = range.first; i <= range.last; ++i) {
        if (progress && progress->cancelled()) return Status::cancelled();
        Result<RasterImage> frame = source.frame(i);
        if (!frame) return frame.status();
        Status added = avi.addFrame(*frame);
        if (added.message() == kFrameSizeMismatch) {
            // Such a frame is left out; one message says so.
            if (!sizeToldOnce) prompter.message(added.message());
            sizeToldOnce = true;
        } else if (!added) {
            return added;
        }
        report(progress, i - range.first + 1, total);
    }
    if (options.blackTrailer) {
        const RasterImage black(options.width, options.height, kBlack);
        for (int i = 0; i <= options.framesPerSecond; ++i) {
            if (progress && progress->cancelled()) return Status::cancelled();
            if (Status added = avi.addFrame(black); !added) return added;
        }
    }
    return Status::ok();
}

Status checkOptions(const MovieExportOptions& options, const MovieFrameSource& source) {
    if (source.frameCount() <= 0) return Status::refused("The movie has no frames");
    if (options.format != VideoFormat::Avi &&
        (options.bitRate < kMinBitRate || options.bitRate > kMaxBitRate))
        return Status::refused("Bit rate out of range");
    if (!canReplace(options.outputPath))
        return Status::failed(options.outputPath.string() +
                              ": Cannot create file\nIt may be already in use by another "
                              "application like Media Player");
    return Status::ok();
}

} // namespace

std::vector<std::string> conversionArguments(const fs::path& avi, const fs::path& output,
                                             VideoFormat format, int bitRate, int framesPerSecond) {
    std::vector<std::string> args{"-nostdin",
                                  "-i",
                                  encoderPath(avi),
                                  "-y",
                                  "-b:v",
                                  std::to_string(bitRate) + "k",
                                  "-r",
                                  std::to_string(framesPerSecond)};
    if (needsHalfChroma(format))
        args.insert(args.end(), {"-pix_fmt", "yuv420p", "-vf", kEvenSizeFilter});
    args.insert(args.end(), {"-f", std::string(encoderContainer(format)), encoderPath(output)});
    return args;
}

Status convertWithEncoder(const fs::path& avi, const fs::path& output, VideoFormat format,
                          long long totalFrames, int bitRate, int framesPerSecond,
                          Progress* progress, Prompter& prompter) {
    const std::string failed(kConversionFailed);
    SafeFileWriter out(output);
    if (!out.ok()) return Status::failed(failed, output.string() + ": Cannot create file");
    Result<EncoderRun> run =
        runEncoder(conversionArguments(avi, out.tempPath(), format, bitRate, framesPerSecond),
                   totalFrames, progress, prompter);
    if (!run) {
        if (run.status().isCancelled()) return run.status();
        return Status::failed(failed, run.status().message());
    }
    if (run->exitStatus != 0)
        return Status::failed(failed, "The encoder ended with status " +
                                          std::to_string(run->exitStatus) + ":\n" + run->tail);
    if (!out.commit()) return Status::failed(failed, output.string() + ": Cannot create file");
    return Status::ok();
}

Status exportMovie(const MovieExportOptions& options, MovieFrameSource& source, Progress* progress,
                   Prompter& prompter) {
    if (Status usable = checkOptions(options, source); !usable) return show(prompter, usable);
    QualitySwitch quality(source, options.maximumQuality);
    const bool direct = options.format == VideoFormat::Avi;
    // Any other format goes through an AVI in the temporary folder, removed at the end.
    std::optional<TempFile> intermediate;
    if (!direct) {
        intermediate.emplace("zx-movie-");
        if (!intermediate->ok())
            return show(prompter, Status::failed("Cannot create a temporary file for the movie"));
    }
    const fs::path aviPath = direct ? options.outputPath : intermediate->path();

    AviWriter avi;
    if (Status opened = avi.open(aviPath, options.framesPerSecond, options.width, options.height);
        !opened)
        return show(prompter, opened);
    if (Status written = writeFrames(avi, options, source, rangeOf(options, source.frameCount()),
                                     progress, prompter);
        !written)
        return show(prompter, written);
    source.allFramesTaken();
    if (Status closed = avi.close(); !closed) return show(prompter, closed);
    if (direct) return Status::ok();
    Status converted =
        convertWithEncoder(aviPath, options.outputPath, options.format, avi.frameCount(),
                           options.bitRate, options.framesPerSecond, progress, prompter);
    return show(prompter, converted);
}

} // namespace zx
