// `resave IN.zxp OUT.zxp`: load a project and save it again (a format check, and
// how a project moves to another folder).

#include "cli/Commands.h"
#include "cli/ProjectSaving.h"
#include "platform/Prompter.h"
#include "storage/ProjectFile.h"

namespace zx::cli {

namespace {

struct ResaveOptions {
    std::string input;
    std::string output;
};

int runResave(const ResaveOptions& o, Context& context) {
    Prompter& prompter = context.prompter();
    if (auto error = saveExtensionError(o.output)) {
        prompter.message(*error);
        return 1;
    }
    std::unique_ptr<Project> project = openProjectDocument(o.input, prompter);
    if (!project) return 1;
    return saveProjectDocument(*project, o.output, prompter, projectSaveOptions()) ? 0 : 1;
}

} // namespace

void registerResaveCommand(CLI::App& app, Context& context) {
    auto options = std::make_shared<ResaveOptions>();
    CLI::App* sub = app.add_subcommand("resave", "Load a project and save it under another name");
    sub->add_option("input", options->input, "The project to read (.zxp)")->required();
    sub->add_option("output", options->output, "The project to write (.zxp)")->required();
    sub->callback([options, &context] { context.exitCode = runResave(*options, context); });
}

} // namespace zx::cli
