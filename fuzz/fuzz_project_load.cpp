// Project loading from arbitrary bytes: the chunk stream that follows the
// container's magic. Whatever loads must save, and what it saves must load back to
// the same stream; and whatever loads can be described, as `info` does, in text and
// in JSON.

#include "cli/ProjectDescription.h"
#include "platform/Prompter.h"
#include "storage/ProjectFile.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zx::SilentPrompter prompter;
    std::unique_ptr<zx::Project> project = zx::parseProject({data, size}, prompter);
    if (!project) return 0;
    const nlohmann::ordered_json description = zx::cli::describeProject(*project);
    static_cast<void>(description.dump(-1, ' ', false,
                                       nlohmann::ordered_json::error_handler_t::strict));
    static_cast<void>(zx::cli::projectText(description));
    std::optional<std::vector<uint8_t>> first = zx::buildProjectChunks(*project);
    if (!first) return 0;
    std::unique_ptr<zx::Project> again = zx::parseProject(*first, prompter);
    if (!again) {
        std::fprintf(stderr, "a saved project did not load again\n");
        std::abort();
    }
    std::optional<std::vector<uint8_t>> second = zx::buildProjectChunks(*again);
    if (!second || *second != *first) {
        std::fprintf(stderr, "saving a reloaded project changed its stream\n");
        std::abort();
    }
    return 0;
}
