// zelvotrix-cli: the engine without windows — look into projects and library
// files, make projects from photographs, and more, from scripts.

#include "cli/Commands.h"
#include "cli/TerminalPrompter.h"
#include "platform/SettingsStore.h"
#include "storage/Settings.h"

namespace zx::cli {

Context::Context() = default;
Context::~Context() = default;

Prompter& Context::prompter() {
    if (!prompter_) prompter_ = std::make_unique<TerminalPrompter>(yes);
    return *prompter_;
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

} // namespace zx::cli

int main(int argc, char** argv) {
    zx::cli::Context context;
    CLI::App app{"Zelvotrix command-line tool: inspect, create and convert Zelvotrix projects",
                 "zelvotrix-cli"};
    app.require_subcommand(1);
    app.option_defaults()->always_capture_default();
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
    zx::cli::registerExportWebGlCommand(app, context);

    CLI11_PARSE(app, argc, argv);
    return context.exitCode;
}
