// zelvotrix-cli publish / publish-video: an animated scene or a video file published
// to a publication server. The password comes from ZX_PUBLISH_PASSWORD or is asked on
// the terminal without echo; it is never an argument, so it never shows in a process
// list or a shell history.

#include "cli/Commands.h"
#include "cli/TerminalProgress.h"
#include "output/Publication.h"
#include "output/PublicationAccount.h"
#include "output/WebGlExport.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"
#include "storage/Project.h"
#include "storage/Settings.h"

#include <cstdlib>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace zx::cli {

namespace {

namespace fs = std::filesystem;

constexpr const char* kPasswordVariable = "ZX_PUBLISH_PASSWORD";

struct PublishArgs {
    std::string input;
    int image = 0;
    int thumbnail = 1;
    PublicationDetails details;
    std::string server;
    std::string caFile;
    std::string user;
};

int fail(Prompter& prompter, const std::string& command, const std::string& text) {
    prompter.message(command + ": " + text);
    return 1;
}

// The password from the environment, else typed on the terminal with echo off.
std::optional<std::string> readPassword(const std::string& user) {
    if (const char* p = std::getenv(kPasswordVariable)) return std::string(p);
    if (!::isatty(STDIN_FILENO)) return std::nullopt;
    std::cerr << "Password for " << user << ": " << std::flush;
    termios old{};
    const bool quiet = ::tcgetattr(STDIN_FILENO, &old) == 0;
    if (quiet) {
        termios silent = old;
        silent.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    std::string password;
    std::getline(std::cin, password);
    if (quiet) ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &old);
    std::cerr << "\n";
    return password;
}

// The store behind the settings, read only: the tool never changes the user's settings.
struct PublishSettings {
    MemorySettingsStore store;
    std::string server;
    std::string caFile;
};

PublishSettings readPublishSettings(const Context& context) {
    IniSettingsStore file(context.settingsPath.empty() ? defaultSettingsPath()
                                                       : fs::path(context.settingsPath));
    PublishSettings out;
    out.server = file.readString(kPublishServerSetting).value_or("");
    out.caFile = file.readString(kPublishServerCaSetting).value_or("");
    out.store.writeInt("ftpwarning", file.readInt("ftpwarning").value_or(0));
    return out;
}

// Connects and logs in; the client is ready to publish.
std::unique_ptr<PublicationClient> loggedInClient(const PublishArgs& args,
                                                  const std::string& server,
                                                  const std::string& caFile,
                                                  const std::string& command, Context& context) {
    Prompter& prompter = context.prompter();
    std::optional<PublishServerAddress> address = parsePublishServer(server);
    if (!address) {
        fail(prompter, command,
             "--server (or the setting PublishServer) must be an http:// or https:// URL, "
             "optionally followed by the ftp:// address of the uploads");
        return nullptr;
    }
    const std::optional<std::string> password = readPassword(args.user);
    if (!password) {
        fail(prompter, command, std::string("no password: set ") + kPasswordVariable);
        return nullptr;
    }
    address->caFile = caFile;
    auto client = std::make_unique<PublicationClient>(*address);
    if (Status s = loginToService(*client, args.user, *password); !s) {
        fail(prompter, command, s.message());
        return nullptr;
    }
    return client;
}

void printLinks(const PublishedItem& item) {
    std::cout << item.playerLink << "\n" << item.shortLink << "\n";
}

int runPublish(const PublishArgs& args, Context& context, bool video) {
    const char* command = video ? "publish-video" : "publish";
    PublishSettings settings = readPublishSettings(context);
    const std::string server = args.server.empty() ? settings.server : args.server;
    const std::string caFile = args.caFile.empty() ? settings.caFile : args.caFile;
    std::unique_ptr<PublicationClient> client =
        loggedInClient(args, server, caFile, command, context);
    if (!client) return 1;
    TerminalProgress progress(context.quiet);
    progress.setTitle(command);
    Result<PublishedItem> item = Status::failed({});
    if (video) {
        item = publishVideo(*client, {args.input, args.thumbnail}, args.details, settings.store,
                            progress, context.prompter());
    } else {
        const fs::path player = findPlayerScript(fs::read_symlink("/proc/self/exe").parent_path());
        if (player.empty())
            return fail(context.prompter(), command, "the player script is missing");
        std::unique_ptr<Project> project = context.openProject(args.input);
        if (!project) return 1;
        WebGlExportOptions options;
        options.image = args.image;
        item = publishScene(*client, *project, options, player, args.details, settings.store,
                            progress, context.prompter());
    }
    progress.finish();
    logoutFromService(*client);
    if (!item) return 1;
    printLinks(*item);
    return 0;
}

void addCommonOptions(CLI::App* cmd, PublishArgs& args) {
    cmd->add_option("--title", args.details.title, "The title (at least 4 characters)")->required();
    cmd->add_option("--description", args.details.description, "The description");
    cmd->add_option("--privacy", args.details.privacy, "Public, Unlisted or Private")
        ->check(CLI::IsMember({"Public", "Unlisted", "Private"}));
    cmd->add_option("--category", args.details.category,
                    "Other3D, Education, Morphing, People, Science, Landscapes or Adult");
    cmd->add_option("--server", args.server,
                    "The server's URL, optionally followed by its FTP address (default: the "
                    "setting PublishServer)");
    cmd->add_option("--ca-file", args.caFile,
                    "Certificates (PEM) that sign the server's own certificate, for https and "
                    "ftps (default: the setting PublishServerCA, else the system's)")
        ->check(CLI::ExistingFile);
    cmd->add_option("--user", args.user, "The account to publish under")->required();
}

} // namespace

void registerPublishCommands(CLI::App& app, Context& context) {
    auto scene = std::make_shared<PublishArgs>();
    CLI::App* cmd = app.add_subcommand(
        "publish", "Publish the animated scene of a project image to a publication server");
    cmd->add_option("input", scene->input, "The project (.zxp)")->required();
    cmd->add_option("--image", scene->image, "Index of the project image (from 0)")->required();
    addCommonOptions(cmd, *scene);
    cmd->callback([scene, &context] { context.exitCode = runPublish(*scene, context, false); });

    auto video = std::make_shared<PublishArgs>();
    cmd = app.add_subcommand("publish-video", "Publish a video file to a publication server");
    cmd->add_option("input", video->input, "The video file")->required()->check(CLI::ExistingFile);
    cmd->add_option("--vignette", video->thumbnail,
                    "Which second's picture shows before the video plays (from 1)");
    addCommonOptions(cmd, *video);
    cmd->callback([video, &context] { context.exitCode = runPublish(*video, context, true); });
}

} // namespace zx::cli
