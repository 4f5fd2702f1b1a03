// `new PHOTO... -o OUT.zxp`: a project with one image per photograph, each built
// as the import command builds it.

#include "cli/Commands.h"
#include "commands/ProjectSaving.h"
#include "platform/Prompter.h"
#include "storage/PhotoImport.h"
#include "storage/ProjectFile.h"
#include "storage/Settings.h"

#include <filesystem>
#include <vector>

namespace zx::cli {

namespace {

struct NewOptions {
    std::vector<std::string> photos;
    std::string output;
    bool keepSize = false;
};

int runNew(const NewOptions& o, Context& context) {
    Prompter& prompter = context.prompter();
    // Checked before anything is read, so that a wrong name costs nothing.
    if (auto error = saveExtensionError(o.output)) {
        prompter.message(*error);
        return 1;
    }
    const Settings& settings = context.settings();
    Project project = Project::fromSettings(settings);
    PhotoImportSession session;
    for (const std::string& photo : o.photos) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(photo, ec)) {
            prompter.message("Cannot open " + photo);
            return 1;
        }
        PhotoFileImport how{&settings, project.fps, project.canvasColour, o.keepSize,
                            project.current()};
        std::unique_ptr<ProjectImage> image = importPhotoFile(photo, how, session, prompter);
        if (!image) {
            prompter.message("Could not import " + photo);
            return 1;
        }
        project.currentImage = project.images.append(std::move(image));
    }
    return saveProjectFile(project, o.output, prompter) ? 0 : 1;
}

} // namespace

void registerNewCommand(CLI::App& app, Context& context) {
    auto options = std::make_shared<NewOptions>();
    CLI::App* sub = app.add_subcommand(
        "new", "Make a project with one image per photograph (PNG or JPEG), as Import Image does");
    sub->add_option("photos", options->photos, "Photographs, in timeline order")->required();
    sub->add_option("-o,--output", options->output, "The project file to write (.zxp)")->required();
    sub->add_flag("--keep-size", options->keepSize,
                  "Do not offer to reduce pictures larger than the MaxSize setting");
    sub->callback([options, &context] { context.exitCode = runNew(*options, context); });
}

} // namespace zx::cli
