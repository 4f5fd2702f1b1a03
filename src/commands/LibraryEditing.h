#pragma once
// "Edit Library": a library object opened as the one object of a new image, whose
// picture is the object's own (its thumbnail), so that it can be edited and animated
// like any image's objects and saved back over its file. The image knows its file
// through the object: a library object keeps the path it was loaded from, and
// "Sa&ve As Object..." on such an image proposes it.

#include "anim/AnimObject.h"
#include "anim/LibraryFile.h"
#include "platform/Status.h"
#include "storage/RasterImage.h"

#include <filesystem>
#include <string_view>

namespace zx {

class Workspace;

inline constexpr std::string_view kEditLibraryLabel = "Edit Library";

// The picture of the image a library object is edited on: its thumbnail when that is
// of the object's size, else a transparent picture of that size. None for a size
// no image can take.
std::optional<RasterImage> libraryEditPicture(const LibraryObjectData& library);

// Opens `file` as the single object of a new image at the end of the list (one
// undoable step), selects it and enters Animate mode. The image's index; the loader
// has told a failure, and nothing is then added.
Result<int> openLibraryForEditing(Workspace& workspace, const std::filesystem::path& file,
                                  LibraryLoadOptions options);

} // namespace zx
