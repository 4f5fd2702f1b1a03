#pragma once
// What the movie subcommands (export-movie, export-image, render-movie) share: frame
// ranges on the command line, the project's movie frames as the settings ask for them,
// and a progress bar that Ctrl+C cancels cleanly.

#include "cli/TerminalProgress.h"
#include "commands/ProjectMovieSource.h"
#include "output/BuilderFrameSource.h"
#include "output/MovieExport.h"
#include "render/MovieFrameBuilder.h"

#include <csignal>
#include <optional>
#include <string_view>

namespace zx {
class Project;
}

namespace zx::cli {

class Context;

// The exit status of a run the user interrupted.
inline constexpr int kInterruptedExit = 130;

// "A:B" (frames A to B, both included, A ≤ B) or "A" (that frame alone); none for
// anything else.
std::optional<FrameRange> parseFrameRange(std::string_view text);

// The project's movie at the Movie preview quality of the settings (Maximum with
// `maximumQuality`), library objects found from the project's folder.
ProjectMovieOptions projectMovieOptions(const Project& project, Context& context,
                                        bool maximumQuality);

// The project's movie made by the movie frame builder, `options.workers` workers to an
// image building ahead of the frame asked for. The frames are those of
// ProjectMovieSource, whatever the number of workers.
class BuiltMovie {
public:
    BuiltMovie(const Project& project, const ProjectMovieOptions& options);
    MovieFrameSource& source() { return source_; }

private:
    MovieFrameBuilder builder_;
    BuilderFrameSource source_;
};

// A progress bar that SIGINT and SIGTERM cancel instead of ending the process, so
// that the work in hand can remove what it has half written. The signals' previous
// handling comes back when it goes.
class InterruptibleProgress : public TerminalProgress {
public:
    explicit InterruptibleProgress(bool quiet);
    ~InterruptibleProgress() override;
    InterruptibleProgress(const InterruptibleProgress&) = delete;
    InterruptibleProgress& operator=(const InterruptibleProgress&) = delete;

    bool cancelled() const override;

private:
    using Handler = void (*)(int);
    Handler previousInterrupt_ = SIG_DFL;
    Handler previousTerminate_ = SIG_DFL;
};

} // namespace zx::cli
