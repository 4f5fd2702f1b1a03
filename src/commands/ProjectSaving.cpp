#include "commands/ProjectSaving.h"

#include "anim/AnimationRecord.h"

namespace zx {

ProjectSaveOptions projectSaveOptions() {
    ProjectSaveOptions options;
    options.reencode = [](const std::vector<uint32_t>& record, const std::filesystem::path& from,
                          const std::filesystem::path& to) {
        return rewriteRecordForFolder(record, from, to);
    };
    return options;
}

Status saveProjectFile(Project& project, const std::filesystem::path& path, Prompter& prompter) {
    return saveProjectDocument(project, path, prompter, projectSaveOptions());
}

} // namespace zx
