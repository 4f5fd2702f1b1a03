#pragma once
// The subcommands of zelvotrix-cli. Each lives in its own file
// (src/cli/<Name>Command.cpp) and registers itself on the application through the
// function declared here; main.cpp calls them all.

#include <CLI/CLI.hpp>

#include <filesystem>
#include <memory>
#include <string>

namespace zx {
class Project;
class Prompter;
struct Settings;
} // namespace zx

namespace zx::cli {

class TerminalPrompter;

// What every subcommand shares: the global options and the exit status.
class Context {
public:
    Context();
    ~Context();

    // --settings: the settings file (the one the app uses unless given).
    std::string settingsPath;
    // --yes: answer every question with Yes / OK (for scripts).
    bool yes = false;
    // --quiet: no progress bar.
    bool quiet = false;

    // Set by the subcommand that ran: 0 on success.
    int exitCode = 0;

    // Messages and questions on the terminal.
    Prompter& prompter();
    // The settings read from settingsPath, with their defaults and ranges.
    const Settings& settings();
    // Opens a project, or says on the terminal why the file is none (a picture or a
    // library object gets the subcommand that takes it).
    std::unique_ptr<Project> openProject(const std::filesystem::path& path);

private:
    std::unique_ptr<TerminalPrompter> prompter_;
    std::unique_ptr<Settings> settings_;
};

// Says so when the first word is no subcommand; false when it is one (or there is none).
bool reportUnknownSubcommand(CLI::App& app, int argc, char** argv);

void registerInfoCommand(CLI::App& app, Context& context);
void registerNewCommand(CLI::App& app, Context& context);
void registerResaveCommand(CLI::App& app, Context& context);
void registerRenderCommand(CLI::App& app, Context& context);
void registerMeshCommand(CLI::App& app, Context& context);
void registerDemoCommand(CLI::App& app, Context& context);
void registerExportMovieCommand(CLI::App& app, Context& context);
void registerExportImageCommand(CLI::App& app, Context& context);
void registerImportVideoCommand(CLI::App& app, Context& context);
void registerRenderMovieCommand(CLI::App& app, Context& context);
void registerExportWebGlCommand(CLI::App& app, Context& context);
void registerApplyCommand(CLI::App& app, Context& context);
void registerPublishCommands(CLI::App& app, Context& context);

} // namespace zx::cli
