#include "cli/MovieCommandSupport.h"

#include "cli/Commands.h"
#include "render/ProjectFrame.h"
#include "storage/Project.h"
#include "storage/Settings.h"

#include <atomic>
#include <charconv>
#include <csignal>

namespace zx::cli {

namespace {

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) {
    interrupted.store(true);
}

std::optional<int> parseFrameNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 0) return std::nullopt;
    return value;
}

} // namespace

std::optional<FrameRange> parseFrameRange(std::string_view text) {
    const size_t colon = text.find(':');
    const auto first = parseFrameNumber(text.substr(0, colon));
    const auto last =
        colon == std::string_view::npos ? first : parseFrameNumber(text.substr(colon + 1));
    if (!first || !last || *first > *last) return std::nullopt;
    return FrameRange{*first, *last};
}

ProjectMovieOptions projectMovieOptions(const Project& project, Context& context,
                                        bool maximumQuality) {
    ProjectMovieOptions options;
    options.quality =
        maximumQuality
            ? RenderQuality::Maximum
            : renderQualityFromInt(context.settings().videoRender).value_or(RenderQuality::Medium);
    options.library.prompter = &context.prompter();
    options.library.projectFolder = project.folder;
    return options;
}

BuiltMovie::BuiltMovie(const Project& project, const ProjectMovieOptions& options)
    : builder_(options.library, options.workers), source_(project, builder_) {
    FrameLayoutSettings layout = movieFrameLayout(project, options.quality);
    layout.showBackground = options.showBackground ? 1 : 0;
    layout.showObjects = options.showObjects ? 1 : 0;
    // A damaged animation record renders what was read; the loader has said so.
    (void)builder_.rebuildMovieFrameList(project, layout);
}

InterruptibleProgress::InterruptibleProgress(bool quiet) : TerminalProgress(quiet) {
    interrupted.store(false);
    previousInterrupt_ = std::signal(SIGINT, onInterrupt);
    previousTerminate_ = std::signal(SIGTERM, onInterrupt);
}

InterruptibleProgress::~InterruptibleProgress() {
    std::signal(SIGINT, previousInterrupt_ == SIG_ERR ? SIG_DFL : previousInterrupt_);
    std::signal(SIGTERM, previousTerminate_ == SIG_ERR ? SIG_DFL : previousTerminate_);
}

bool InterruptibleProgress::cancelled() const {
    return interrupted.load() || TerminalProgress::cancelled();
}

} // namespace zx::cli
