#include "commands/AnimateViewFrame.h"

#include "render/FrameRenderer.h"
#include "render/ProjectFrame.h"
#include "storage/Project.h"

namespace zx {

void setObjectHighlight(AnimationModel& model, int slot) {
    for (int s = 0; s < model.objectCount; ++s)
        for (MeshTriangle& t : model.object(s).triangles)
            t.flags = s == slot ? (t.flags | TriangleFlag::Highlight)
                                : (t.flags & ~TriangleFlag::Highlight);
}

RasterImage renderAnimateViewFrame(const Project& project, const AnimationModel& model, int image,
                                   int frame, RenderQuality quality) {
    AnimationModel scene = model; // rendering moves the points; the editor's stay put
    setObjectHighlight(scene, scene.selectedObject);
    ProjectFrameRequest request;
    request.image = image;
    request.frame = frame;
    request.view = FrameView::Image;
    request.quality = quality;
    Result<CameraFrame> record = sceneCameraFrame(project, scene, request);
    if (!record) return {};
    RasterImage picture = renderPreviewFrame(scene, *record, imageFrameTime(project, image, frame));
    for (uint32_t& p : picture.pixelVector()) p |= 0xFF000000u;
    return picture;
}

} // namespace zx
