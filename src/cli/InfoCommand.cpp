// `info FILE [--json]`: what a project or library file holds.

#include "cli/Commands.h"
#include "cli/ProjectDescription.h"
#include "platform/Prompter.h"
#include "platform/Text.h"
#include "storage/ProjectFile.h"

#include <cstdio>
#include <iostream>

namespace zx::cli {

namespace {

struct InfoOptions {
    std::string file;
    bool json = false;
};

bool isLibrary(const std::filesystem::path& p) {
    return lowerExtension(p) == "zxl";
}

// Names are converted from the files' code page when described; should anything else
// hold bytes that are not UTF-8, they are replaced rather than ending the program.
std::string jsonText(const nlohmann::ordered_json& d) {
    return d.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

int runInfo(const InfoOptions& o, Context& context) {
    Prompter& prompter = context.prompter();
    if (isLibrary(o.file)) {
        std::optional<nlohmann::ordered_json> d = describeLibrary(o.file, prompter);
        if (!d) return 1;
        std::cout << (o.json ? jsonText(*d) : libraryText(*d));
        return 0;
    }
    std::unique_ptr<Project> project = context.openProject(o.file);
    if (!project) return 1;
    nlohmann::ordered_json d = describeProject(*project);
    if (o.json)
        std::cout << jsonText(d);
    else
        std::cout << projectText(d);
    return 0;
}

} // namespace

void registerInfoCommand(CLI::App& app, Context& context) {
    auto options = std::make_shared<InfoOptions>();
    CLI::App* sub =
        app.add_subcommand("info", "Show what a project (.zxp) or library (.zxl) holds");
    sub->add_option("file", options->file, "The .zxp or .zxl file")->required();
    sub->add_flag("--json", options->json, "Print JSON (the format scripts should rely on)");
    sub->callback([options, &context] { context.exitCode = runInfo(*options, context); });
}

} // namespace zx::cli
