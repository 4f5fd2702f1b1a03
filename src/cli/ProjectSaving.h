#pragma once
// How the tool saves projects: a project saved into another folder takes its
// animation records along, with library references made relative to the new folder.

#include "storage/ProjectFile.h"

namespace zx::cli {

ProjectSaveOptions projectSaveOptions();

} // namespace zx::cli
