// zelvotrix-cli export-webgl: the animated scene of one project image as a web page
// (page, data file, texture, thumbnail and the player script) in a folder.

#include "cli/Commands.h"
#include "output/WebGlExport.h"
#include "platform/Prompter.h"
#include "storage/Project.h"
#include "storage/ProjectFile.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

namespace zx::cli {

namespace {

namespace fs = std::filesystem;

struct ExportWebGlArgs {
    std::string input;
    int image = 0;
    std::string output;
    std::string size;
    int staticFrame = -1;
    bool staticObject = false;
    bool loop = false;
    bool autoReverse = false;
    std::string start = "load";
    bool noBackground = false;
};

int fail(Prompter& prompter, const std::string& text) {
    prompter.message("export-webgl: " + text);
    return 1;
}

bool parseSize(const std::string& text, int& w, int& h) {
    char x = 0, extra = 0;
    return std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &extra) == 3 &&
           (x == 'x' || x == 'X') && w >= kMinWebGlCanvasSide && h >= kMinWebGlCanvasSide &&
           w <= kMaxWebGlCanvasSide && h <= kMaxWebGlCanvasSide;
}

fs::path programFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

int runExport(const ExportWebGlArgs& args, Context& context) {
    Prompter& prompter = context.prompter();
    WebGlExportOptions options;
    options.image = args.image;
    if (!args.size.empty() && !parseSize(args.size, options.width, options.height))
        return fail(prompter, "--size must be WIDTHxHEIGHT, each " +
                                  std::to_string(kMinWebGlCanvasSide) + " … " +
                                  std::to_string(kMaxWebGlCanvasSide));
    options.staticFrame = args.staticObject ? std::max(0, args.staticFrame) : -1;
    options.page.loop = args.loop;
    options.page.autoReverse = args.autoReverse;
    options.page.start = args.start == "click"  ? WebGlTrigger::OnClick
                         : args.start == "over" ? WebGlTrigger::OnOver
                                                : WebGlTrigger::OnLoad;
    options.page.background.show = !args.noBackground;
    const fs::path player = findPlayerScript(programFolder());
    if (player.empty()) return fail(prompter, "the player script zelvotrixv2.js is missing");
    std::unique_ptr<Project> project = context.openProject(args.input);
    if (!project) return 1;
    if (Status s = exportWebGl(*project, options, args.output, player, &prompter); !s) return 1;
    std::cout << "wrote " << (fs::path(args.output) / kWebGlPageFile).string() << "\n";
    return 0;
}

} // namespace

void registerExportWebGlCommand(CLI::App& app, Context& context) {
    auto args = std::make_shared<ExportWebGlArgs>();
    CLI::App* cmd = app.add_subcommand("export-webgl",
                                       "Write the animated scene of an image as a WebGL web page");
    cmd->add_option("input", args->input, "The project (.zxp)")->required();
    cmd->add_option("--image", args->image, "Index of the project image (from 0)")->required();
    cmd->add_option("-o,--output", args->output, "The folder to write the page into")->required();
    cmd->add_option("--size", args->size, "Canvas WIDTHxHEIGHT (default: the image's size)");
    cmd->add_flag("--static", args->staticObject,
                  "Publish one frame only, as a 3D static object (see --frame)");
    cmd->add_option("--frame", args->staticFrame, "The frame --static publishes (default 0)");
    cmd->add_flag("--loop", args->loop, "Loop the animation");
    cmd->add_flag("--auto-reverse", args->autoReverse, "Play the animation back and forth");
    cmd->add_option("--start", args->start, "Start the animation on load, click or over")
        ->check(CLI::IsMember({"load", "click", "over"}));
    cmd->add_flag("--no-background", args->noBackground, "Leave out the background picture");
    cmd->callback([args, &context] { context.exitCode = runExport(*args, context); });
}

} // namespace zx::cli
