#pragma once
// The one way the program saves a project, from the app's Save and Save As and from
// every subcommand of the tool: the extension is checked, and a project saved into
// another folder takes its animation records along, with library references made
// relative to the new folder (a record keeps a library object by a name relative to
// the project when the file lies inside its folder).

#include "storage/ProjectFile.h"

#include <filesystem>

namespace zx {

class Prompter;
class Project;

// The save options that re-encode animation records for a change of folder.
ProjectSaveOptions projectSaveOptions();

// Saves `project` under `path` as File > Save As does. A failure has been shown and
// is returned; the project's path and modified state change only on success.
Status saveProjectFile(Project& project, const std::filesystem::path& path, Prompter& prompter);

} // namespace zx
