#pragma once
// The ordered images of the timeline. Images are held by pointer so that a
// reference to one (the current image) stays valid while others are added or moved.

#include "storage/ProjectImage.h"

#include <memory>
#include <vector>

namespace zx {

class ImageList {
public:
    int count() const { return int(images_.size()); }
    bool empty() const { return images_.empty(); }
    bool valid(int index) const { return index >= 0 && index < count(); }
    int lastIndex() const { return count() - 1; }

    ProjectImage* at(int index) { return valid(index) ? images_[size_t(index)].get() : nullptr; }
    const ProjectImage* at(int index) const {
        return valid(index) ? images_[size_t(index)].get() : nullptr;
    }
    ProjectImage& operator[](int index) { return *images_[size_t(index)]; }
    const ProjectImage& operator[](int index) const { return *images_[size_t(index)]; }

    // Returns the new image's index.
    int append(std::unique_ptr<ProjectImage> image) {
        images_.push_back(std::move(image));
        return lastIndex();
    }
    // Inserts before `index` (clamped to 0 … count).
    int insert(int index, std::unique_ptr<ProjectImage> image) {
        index = index < 0 ? 0 : index > count() ? count() : index;
        images_.insert(images_.begin() + index, std::move(image));
        return index;
    }
    // Removes and hands back the image; null for an invalid index.
    std::unique_ptr<ProjectImage> take(int index) {
        if (!valid(index)) return nullptr;
        auto image = std::move(images_[size_t(index)]);
        images_.erase(images_.begin() + index);
        return image;
    }
    // Moves the image at `from` so that it ends up at index `to`.
    bool move(int from, int to) {
        if (!valid(from) || !valid(to)) return false;
        auto image = take(from);
        images_.insert(images_.begin() + to, std::move(image));
        return true;
    }
    void clear() { images_.clear(); }

    auto begin() { return images_.begin(); }
    auto end() { return images_.end(); }
    auto begin() const { return images_.begin(); }
    auto end() const { return images_.end(); }

private:
    std::vector<std::unique_ptr<ProjectImage>> images_;
};

} // namespace zx
