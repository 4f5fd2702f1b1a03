#include "storage/Project.h"

#include "storage/Settings.h"

#include <algorithm>

namespace zx {

TimelineWords TimelineWords::forNewProject() {
    TimelineWords t;
    t[StripScale] = 4;
    t[ShowSubject] = 1;
    t[ShowBackground] = 1;
    return t;
}

Project Project::fromSettings(const Settings& settings) {
    Project p;
    p.timelineWords = TimelineWords::forNewProject();
    p.movieWidth = std::clamp(settings.videoX, kMinMovieSide, kMaxMovieSide);
    p.movieHeight = std::clamp(settings.videoY, kMinMovieSide, kMaxMovieSide);
    p.fps = std::clamp(settings.fps, 1, 100);
    return p;
}

History::Outcome Project::record(HistoryStep step, bool backgroundSelected) {
    History::Outcome out = history.record(std::move(step), historyContext(backgroundSelected));
    if (out.markModified) modified = true;
    return out;
}

void Project::setLocation(const std::filesystem::path& file) {
    // Kept absolute so that a later save can tell whether the folder changed.
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(file, ec);
    path = (ec ? file : abs).lexically_normal();
    folder = path.parent_path();
    title = path.stem().string();
}

} // namespace zx
