// `resave IN.zxp -o OUT.zxp` (or `resave IN.zxp OUT.zxp`): load a project and save it again (a
// format check, and how a project moves to another folder).

#include "cli/Commands.h"
#include "commands/ProjectSaving.h"
#include "platform/Prompter.h"
#include "storage/ProjectFile.h"

namespace zx::cli {

namespace {

struct ResaveOptions {
    std::string input;
    std::string output;
    std::string positionalOutput; // the older form without -o
};

int runResave(ResaveOptions o, Context& context) {
    Prompter& prompter = context.prompter();
    const bool both = !o.output.empty() && !o.positionalOutput.empty();
    if (o.output.empty()) o.output = o.positionalOutput;
    if (o.output.empty() || (both && o.positionalOutput != o.output)) {
        prompter.message("Give the project to write once, with -o OUT.zxp");
        return 1;
    }
    if (auto error = saveExtensionError(o.output)) {
        prompter.message(*error);
        return 1;
    }
    std::unique_ptr<Project> project = context.openProject(o.input);
    if (!project) return 1;
    return saveProjectFile(*project, o.output, prompter) ? 0 : 1;
}

} // namespace

void registerResaveCommand(CLI::App& app, Context& context) {
    auto options = std::make_shared<ResaveOptions>();
    CLI::App* sub = app.add_subcommand("resave", "Load a project and save it under another name");
    sub->add_option("input", options->input, "The project to read (.zxp)")->required();
    sub->add_option("-o,--output", options->output, "The project to write (.zxp)");
    sub->add_option("output", options->positionalOutput, "The project to write (same as -o)");
    sub->callback([options, &context] { context.exitCode = runResave(*options, context); });
}

} // namespace zx::cli
