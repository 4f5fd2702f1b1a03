// The Object Editor's texture buttons and "Save Object": flips and replacements
// work on the object's own copy of its library data (other objects that share the
// loaded file keep theirs), Cancel puts the loaded data back, and a saved object
// reads back with its new textures and material names.

#include "commands/ObjectEditorModel.h"

#include "anim/AnimationModel.h"
#include "anim/LibraryFile.h"
#include "imaging/ImageGeometry.h"
#include "platform/RecordingPrompter.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace zx {
namespace {

namespace fs = std::filesystem;

struct LoadedLibraryObject : ::testing::Test {
    AnimationModel model;
    RecordingPrompter prompter;
    fs::path folder = fs::temp_directory_path() / ("zx-objtex-" + std::to_string(::getpid()));

    LoadedLibraryObject() {
        fs::create_directories(folder);
        const fs::path fixture = fs::path(ZX_FIXTURES_DIR) / "library_small.zxl";
        EXPECT_EQ(load(model, fixture), 0);
        // an image as long as the object's own animation, as "Edit Library" makes it
        model.lastFrameIndex = model.object(0).library->lastFrame;
        model.object(1) = model.object(0); // a clone shares the loaded data
        model.objectCount = 2;
    }
    ~LoadedLibraryObject() override { fs::remove_all(folder); }

    int load(AnimationModel& into, const fs::path& file) {
        LibraryLoadOptions options;
        options.prompter = &prompter;
        return loadLibraryObject(into, file.string(), LibraryLoadMode::NewObject, -1, options);
    }
    // The first material with a picture, and that picture as loaded.
    int texturedMaterial(const ObjectEditorModel& editor) {
        const auto& textures = model.object(0).library->textures;
        for (size_t m = 0; m < editor.materials().size(); ++m) {
            const size_t t = size_t(editor.materials()[m].texture);
            if (t < textures.size() && textures[t] && !textures[t]->empty()) return int(m);
        }
        return -1;
    }
    const RasterImage& texture(int slot, const ObjectEditorModel& editor, int material) {
        return *model.object(slot)
                    .library->textures[size_t(editor.materials()[size_t(material)].texture)];
    }
};

TEST_F(LoadedLibraryObject, FlipsTouchOnlyTheEditedObjectAndCancelPutsTheLoadedDataBack) {
    ObjectEditorModel editor(model, 0, false);
    const int m = texturedMaterial(editor);
    ASSERT_GE(m, 0);
    const RasterImage original = texture(0, editor, m);
    const auto loaded = model.object(0).library;

    ASSERT_TRUE(editor.flipTexture(m, true));
    EXPECT_EQ(texture(0, editor, m), mirrorPicture(original, true));
    EXPECT_EQ(texture(1, editor, m), original); // the clone keeps its texture
    EXPECT_TRUE(editor.materialsChanged());
    ASSERT_TRUE(editor.flipTexture(m, false));
    ASSERT_TRUE(editor.flipTexture(m, false));
    ASSERT_TRUE(editor.flipTexture(m, true));
    EXPECT_EQ(texture(0, editor, m), original);

    const RasterImage replacement(5, 3, 0xFF112233u);
    EXPECT_FALSE(editor.replaceTexture(m, RasterImage()));
    EXPECT_FALSE(editor.replaceTexture(int(editor.materials().size()), replacement));
    ASSERT_TRUE(editor.replaceTexture(m, replacement));
    EXPECT_EQ(texture(0, editor, m), replacement);

    const std::vector<MeshTriangle> triangles = model.object(0).triangles;
    ASSERT_TRUE(editor.setColour(m, ColourField::Transparency, 31));
    editor.setAllShown(false);
    for (const MeshTriangle& t : model.object(0).triangles) {
        EXPECT_LT(t.flags, 0); // hidden
        if (t.material == editor.materials()[size_t(m)].texture) {
            EXPECT_EQ((t.flags & TriangleFlag::TransparencyMask) >> TriangleFlag::TransparencyShift,
                      31);
        }
    }
    EXPECT_EQ(model.object(1).triangles, triangles); // the clone is left alone

    editor.cancel();
    EXPECT_EQ(model.object(0).triangles, triangles);
    EXPECT_EQ(model.object(0).library, loaded);
    EXPECT_FALSE(editor.materialsChanged());
}

TEST_F(LoadedLibraryObject, SavedObjectReadsBackWithItsTexturesAndMaterialNames) {
    ObjectEditorModel editor(model, 0, false);
    const int m = texturedMaterial(editor);
    ASSERT_GE(m, 0);
    const RasterImage flipped = mirrorPicture(texture(0, editor, m), false);
    ASSERT_TRUE(editor.flipTexture(m, false));
    editor.renameMaterial(m, "painted");
    ASSERT_FALSE(model.object(0).triangles.empty());
    const int faces = model.object(0).triangles.front().material; // a material with faces
    ASSERT_TRUE(faces >= 0 && faces < int(editor.materials().size()));
    ASSERT_TRUE(editor.setColour(faces, ColourField::Transparency, 10));
    editor.setShown(faces, false);
    const std::vector<MeshTriangle> edited = model.object(0).triangles;
    const fs::path file = folder / "edited.zxl";
    SaveAnimationOptions options;
    options.prompter = &prompter;
    ASSERT_TRUE(editor.saveObject(file, options));
    EXPECT_FALSE(editor.materialsChanged()); // nothing left to lose

    AnimationModel back;
    ASSERT_EQ(load(back, file), 0);
    const LibraryObjectData& data = *back.object(0).library;
    const size_t t = size_t(editor.materials()[size_t(m)].texture);
    ASSERT_LT(t, data.textures.size());
    EXPECT_EQ(*data.textures[t], flipped);
    EXPECT_EQ(data.materials[t], "painted");
    EXPECT_EQ(back.object(0).vertexCount, model.object(0).vertexCount);
    EXPECT_EQ(data.motion, model.object(0).library->motion); // its own animation is kept
    EXPECT_EQ(back.object(0).triangles, edited);

    // the reloaded object opens with the material as it was saved
    ObjectEditorModel reopened(back, 0, false);
    EXPECT_EQ(reopened.materials(), editor.materials());
}

} // namespace
} // namespace zx
