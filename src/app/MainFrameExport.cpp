// "Export Movie..." and "Export Image...": the movie through the threaded frame builder
// into a video file with a progress window, and the current picture as PNG or JPEG.
#include "app/FramePreview.h"
#include "app/ImageComposer.h"
#include "app/MainFrame.h"
#include "app/Timeline.h"
#include "commands/MovieExportChoice.h"
#include "commands/ProjectMovieSource.h"
#include "commands/StillExport.h"
#include "output/BuilderFrameSource.h"
#include "output/MovieExport.h"
#include "render/MoviePanelSettings.h"
#include "ui/ExportMovieDialog.h"
#include "ui/ProgressWindow.h"
#include "ui/QtText.h"

#include <QFileDialog>
#include <QThread>

namespace zx {

namespace {

constexpr std::string_view kCancelExportQuestion = "Cancel Movie Export, are you sure?";
// How long the window sleeps between looks at a frame a worker is still building.
constexpr unsigned long kFrameWaitMs = 2;

// The builder's frames, waited for while the workers build them so that the window
// keeps answering; a frame no worker is building is built on the spot.
class PatientFrameSource : public MovieFrameSource {
public:
    PatientFrameSource(const Project& project, MovieFrameBuilder& builder, Progress& progress)
        : builder_(builder), frames_(project, builder), progress_(progress) {}

    int frameCount() const override { return frames_.frameCount(); }
    Result<RasterImage> frame(int index) override {
        while (index >= 0 && index < frameCount() && beingBuilt(index)) {
            if (progress_.cancelled()) return Status::cancelled();
            QThread::msleep(kFrameWaitMs);
        }
        return frames_.frame(index);
    }
    bool switchToMaximumQuality() override { return frames_.switchToMaximumQuality(); }
    void restoreQuality() override { frames_.restoreQuality(); }

private:
    bool beingBuilt(int index) const {
        const MovieFrameList& list = builder_.frames();
        if (list.coded(index)) return false;
        const BuilderEntry* worker = builder_.entry(list[index].imageIndex);
        return worker && !worker->idle && worker->state() != WorkerState::Idle;
    }

    MovieFrameBuilder& builder_;
    BuilderFrameSource frames_;
    Progress& progress_;
};

RenderQuality previewQuality(const Settings& settings) {
    return renderQualityFromInt(settings.videoRender).value_or(RenderQuality::Medium);
}

// The frame records as the movie shows them, at `quality`.
FrameLayoutSettings movieLayout(const Project& project, RenderQuality quality) {
    FrameLayoutSettings layout;
    layout.backgroundField =
        MoviePanelSettings::fromWords(project.movieWords).backgroundFieldRadians();
    layout.quality = quality;
    return layout;
}

QString folderOf(const std::string& remembered, const std::string& fallback) {
    return qtPath(remembered.empty() ? fallback : remembered);
}

std::string folderText(const std::filesystem::path& file) {
    return file.parent_path().string() + "/";
}

} // namespace

// ---- Export Movie -----------------------------------------------------------------------

CommandState MainFrame::exportMovieState() const {
    return {mode() == AnimationMode::Movie && movieFrameCount() > 0, false};
}

void MainFrame::onExportMovie() {
    if (exportProgress_) return;
    stopPlayback();
    ExportMovieSetup setup;
    setup.folder = enginePath(folderOf(settings_.videoDir, settings_.projectDir));
    setup.documentTitle =
        project().title.empty() ? "Untitled" : engineText(qtPath(project().title));
    setup.width = project().movieWidth;
    setup.height = project().movieHeight;
    setup.framesPerSecond = project().fps;
    ExportMovieDialog dialog(setup, *prompter_, this);
    if (answerExportMovieDialog)
        answerExportMovieDialog(dialog);
    else
        dialog.exec();
    if (dialog.result() != QDialog::Accepted) return;
    settings_.videoDir = folderText(dialog.choice().path);
    if (exportMovieFile(dialog.choice()))
        prompter_->status("Movie written to " + dialog.choice().path.string());
    // A quit asked for during the export goes ahead now that every worker has ended.
    if (closeAfterExport_) {
        closeAfterExport_ = false;
        close();
    }
}

Status MainFrame::exportMovieFile(const MovieExportChoice& choice) {
    const int last = movieFrameCount() - 1;
    const MovieMarkers& markers = timeline_->markers();
    const MovieExportOptions options =
        movieExportOptions(choice, project().movieWidth, project().movieHeight, project().fps,
                           {std::clamp(markers.start, 0, last), markers.effectiveEnd(last)});
    // Known to closeEvent before any event is pumped, so that a quit waits for the end.
    ProgressWindow progress(this, *prompter_, std::string(kCancelExportQuestion));
    exportProgress_ = &progress;
    LibraryLoadOptions library;
    library.prompter = prompter_;
    library.projectFolder = project().folder;
    library.libraryFolder = settings_.libDir;
    MovieFrameBuilder builder(library);
    // A damaged animation record renders what was read; the loader has said so.
    (void)builder.rebuildMovieFrameList(project(),
                                        movieLayout(project(), previewQuality(settings_)));
    builder.buildAll(project());
    progress.setTitle("Exporting movie...");
    PatientFrameSource source(project(), builder, progress);
    const Status status = exportMovie(options, source, &progress, *prompter_);
    builder.destroyAll();
    exportProgress_ = nullptr;
    return status;
}

// ---- Export Image -------------------------------------------------------------------------

CommandState MainFrame::exportImageState() const {
    if (mode() == AnimationMode::Movie) return {movieFrameCount() > 0, false};
    return {project().current() != nullptr, false};
}

std::optional<RasterImage> MainFrame::exportedPicture() {
    if (mode() == AnimationMode::Movie) {
        ProjectMovieOptions options;
        options.quality = previewQuality(settings_);
        options.library.prompter = prompter_;
        options.library.projectFolder = project().folder;
        ProjectMovieSource source(project(), std::move(options));
        Result<RasterImage> frame = source.frame(std::clamp(movieFrame_, 0, movieFrameCount() - 1));
        if (!frame) {
            prompter_->message(frame.status().fullText());
            return std::nullopt;
        }
        return std::move(frame).value();
    }
    ProjectImage* image = workspace_->currentImage();
    if (!image) return std::nullopt;
    if (mode() == AnimationMode::Animate) {
        FramePreview preview;
        if (auto frame = preview.render(project(), project().currentImage, image->currentFrame(),
                                        previewQuality(settings_)))
            return frame;
    }
    return composeLayers(*image, true, true);
}

void MainFrame::onExportImage() {
    const ProjectImage* image = project().current();
    const ImageLayer* subject = image ? image->layer(kSubjectLayer) : nullptr;
    const QString proposed =
        folderOf(settings_.exportObjDir, settings_.projectDir) + "/" +
        qtText(proposedStillName(subject && !subject->name.empty() ? subject->name : "Untitled"));
    const QString path =
        answerExportImagePath
            ? answerExportImagePath(proposed)
            : QFileDialog::getSaveFileName(this, "Export Image", proposed,
                                           "Png files (*.png);;Jpeg files (*.jpg)");
    if (path.isEmpty()) return;
    if (!isStillFileName(enginePath(path))) {
        prompter_->message(kInvalidStillExtension);
        return;
    }
    settings_.exportObjDir = folderText(enginePath(path));
    const std::optional<RasterImage> picture = exportedPicture();
    if (picture) (void)saveStill(enginePath(path), *picture, settings_.jpegQuality, *prompter_);
}

} // namespace zx
