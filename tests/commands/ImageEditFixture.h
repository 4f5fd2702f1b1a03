#pragma once
// A workspace holding one photograph-like image (background, subject, mask), for the
// tests of the Image Edit commands.

#include "commands/Workspace.h"
#include "platform/RecordingPrompter.h"
#include "storage/Settings.h"

#include <gtest/gtest.h>

namespace zx::test {

struct ImageEditFixture : ::testing::Test {
    RecordingPrompter prompter;
    Settings settings;
    Workspace ws{prompter, settings};

    ImageEditFixture() {
        ws.replaceProject(std::make_unique<Project>(Project::fromSettings(settings)));
    }
    // Appends a w x h image whose subject varies in every pixel; returns its index.
    int addImage(int w, int h) {
        RasterImage p(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                p.at(x, y) = 0xFF000000u | uint32_t(x * 7 % 256) << 16 |
                             uint32_t(y * 13 % 256) << 8 | uint32_t((x + y) % 256);
        EXPECT_TRUE(ws.addPictureAsImage(p, "photo.png", true));
        return project().currentImage;
    }
    Project& project() { return ws.project(); }
    ProjectImage& image(int i = -1) {
        return *project().images.at(i < 0 ? project().currentImage : i);
    }
    const RasterImage& layer(int index, int i = -1) { return *image(i).layerPicture(index); }
    int steps() const { return ws.project().history.size(); }
    std::string lastLabel() const { return ws.project().history.steps().back().label; }

    // Undo and redo the last step: the pictures come back byte for byte each way.
    void expectUndoRedoExact(const std::vector<RasterImage>& before, int imageIndex = -1) {
        const auto after = layers(imageIndex);
        ASSERT_TRUE(ws.undo());
        EXPECT_EQ(layers(imageIndex), before);
        ASSERT_TRUE(ws.redo());
        EXPECT_EQ(layers(imageIndex), after);
    }
    // Background, subject and mask pictures.
    std::vector<RasterImage> layers(int i = -1) {
        std::vector<RasterImage> out;
        for (int l = 1; l <= 3; ++l) out.push_back(layer(l, i));
        return out;
    }
};

} // namespace zx::test
