// zelvotrix-cli: the engine without windows — look into projects and library
// files, make projects from photographs, and more, from scripts.

#include "cli/Commands.h"
#include "cli/TerminalPrompter.h"
#include "commands/VideoStills.h"
#include "platform/SettingsStore.h"
#include "platform/Text.h"
#include "storage/ImageFile.h"
#include "storage/ProjectFile.h"
#include "storage/Settings.h"

#include <iostream>

namespace zx::cli {

Context::Context() = default;
Context::~Context() = default;

Prompter& Context::prompter() {
    if (!prompter_) prompter_ = std::make_unique<TerminalPrompter>(yes);
    return *prompter_;
}

// The tool's own advice for a file that is no project, where the app names its menus.
std::unique_ptr<Project> Context::openProject(const std::filesystem::path& path) {
    const std::string ext = lowerExtension(path);
    const std::string name = path.string();
    if (ext == "jpg" || ext == "jpeg" || ext == "png") {
        prompter().message(name + " is a picture, not a project.\nTo make a project of it: " +
                           "zelvotrix-cli new " + name + " -o OUT.zxp");
        return nullptr;
    }
    if (ext == "zxl") {
        prompter().message(name + " is a library object, not a project.\n" + "zelvotrix-cli info " +
                           name + " describes it");
        return nullptr;
    }
    Result<std::unique_ptr<Project>> opened = openProjectDocument(path, prompter());
    return opened ? std::move(opened).value() : nullptr;
}

const Settings& Context::settings() {
    if (!settings_) {
        // Only read: the tool never changes the user's settings.
        IniSettingsStore store(settingsPath.empty() ? defaultSettingsPath()
                                                    : std::filesystem::path(settingsPath));
        settings_ = std::make_unique<Settings>(readSettings(store));
    }
    return *settings_;
}

// An unknown first word is named, with the subcommands there are, instead of CLI11's
// "A subcommand is required".
bool reportUnknownSubcommand(CLI::App& app, int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--settings") {
            ++i;
            continue;
        }
        if (word.empty() || word[0] == '-') continue;
        for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
            if (sub->get_name() == word) return false;
        std::cerr << "Unknown subcommand \"" << word << "\". The subcommands are:";
        for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
            std::cerr << " " << sub->get_name();
        std::cerr << "\nRun with --help for more information.\n";
        return true;
    }
    return false;
}

} // namespace zx::cli

int main(int argc, char** argv) {
    // Videos stand wherever a photograph is read: their first frame.
    zx::installVideoStillConverter();
    zx::cli::Context context;
    CLI::App app{"Zelvotrix command-line tool: inspect, create and convert Zelvotrix projects",
                 "zelvotrix-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", std::string("zelvotrix-cli ") + ZX_VERSION);
    // The global options work after the subcommand too: `render ... -q`.
    app.fallthrough();
    app.add_option("--settings", context.settingsPath,
                   "Settings file to read (default: the app's, "
                   "$XDG_CONFIG_HOME/Brenlok/Zelvotrix.conf)");
    app.add_flag("-y,--yes", context.yes, "Answer Yes / OK to every question (for scripts)");
    app.add_flag("-q,--quiet", context.quiet, "Show no progress bar");

    zx::cli::registerInfoCommand(app, context);
    zx::cli::registerNewCommand(app, context);
    zx::cli::registerResaveCommand(app, context);
    zx::cli::registerRenderCommand(app, context);
    zx::cli::registerMeshCommand(app, context);
    zx::cli::registerDemoCommand(app, context);
    zx::cli::registerExportMovieCommand(app, context);
    zx::cli::registerExportImageCommand(app, context);
    zx::cli::registerImportVideoCommand(app, context);
    zx::cli::registerRenderMovieCommand(app, context);
    zx::cli::registerExportWebGlCommand(app, context);
    zx::cli::registerApplyCommand(app, context);
    zx::cli::registerPublishCommands(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (zx::cli::reportUnknownSubcommand(app, argc, argv)) return 109;
        return app.exit(e);
    }
    return context.exitCode;
}
