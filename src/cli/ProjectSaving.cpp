#include "cli/ProjectSaving.h"

#include "anim/AnimationRecord.h"

namespace zx::cli {

ProjectSaveOptions projectSaveOptions() {
    ProjectSaveOptions options;
    options.reencode = [](const std::vector<uint32_t>& record, const std::filesystem::path& from,
                          const std::filesystem::path& to) {
        return rewriteRecordForFolder(record, from, to);
    };
    return options;
}

} // namespace zx::cli
