// Library objects from the main frame: "Sa&ve As Object..." (the whole animation or
// one object) and the tool bar's "Edit Library".

#include "app/MainFrame.h"
#include "app/QtProgress.h"
#include "app/WaitCursor.h"
#include "commands/LibraryEditing.h"
#include "commands/LibraryObjects.h"
#include "ui/LibraryFileDialog.h"
#include "ui/QtText.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>

#include <algorithm>

namespace zx {

namespace fs = std::filesystem;

namespace {} // namespace

void MainFrame::onSaveAsObject() {
    const ProjectImage* image = workspace_->currentImage();
    if (!image || !workspace_->hasSelectedImage()) return;
    const std::optional<int> slot = chooseObjectToSave(*image, selectedObject(), *prompter_);
    if (!slot) return;
    std::vector<std::string> used = libraryNamesInProject(project());
    QString path =
        settings_.libDir.empty() ? qtPath(settings_.projectDir) : qtPath(settings_.libDir);
    // An object saved alone proposes the file it came from, which it may overwrite.
    if (auto own = imageObjectLibraryFile(*image, *slot, project().folder)) {
        path = qtPath(*own);
        const std::string stored = libraryNameForProject(*own, project().folder);
        std::erase_if(used, [&](const std::string& u) {
            return u == stored || fs::path(u).filename() == own->filename();
        });
    }
    for (;;) {
        path = LibraryFileDialog::chooseFile(this, "Save As Object", path, true);
        if (path.isEmpty()) return;
        if (QFileInfo(path).suffix().isEmpty()) path += ".zxl";
        const LibraryNameCheck check = checkLibrarySaveName(enginePath(path), used, *prompter_);
        if (check == LibraryNameCheck::Cancel) return;
        if (check == LibraryNameCheck::Ok) break;
    }
    settings_.libDir = enginePath(QFileInfo(path).absolutePath()).string() + "/";
    if (*slot < 0)
        saveObjectFile(path);
    else
        saveOneObjectFile(path, *slot);
}

bool MainFrame::saveOneObjectFile(const QString& path, int slot) {
    const ProjectImage* image = workspace_->currentImage();
    if (!image) return false;
    QtProgress progress(this, "Save As Object");
    SaveAnimationOptions options;
    options.prompter = prompter_;
    options.progress = &progress;
    options.projectFolder = project().folder;
    options.relocations = &workspace_->libraryRelocations;
    WaitCursor wait;
    return saveImageObjectAsLibrary(*image, slot, enginePath(path), options).isOk();
}

QString MainFrame::chooseLibraryFile(const QString& title) {
    const QString dir =
        settings_.libDir.empty() ? qtPath(settings_.projectDir) : qtPath(settings_.libDir);
    const QString path = LibraryFileDialog::chooseFile(this, title, dir);
    // The library folder is where the user last found a library file.
    if (!path.isEmpty())
        settings_.libDir = enginePath(QFileInfo(path).absolutePath()).string() + "/";
    return path;
}

void MainFrame::onEditLibrary() {
    const QString path = chooseLibraryFile("Edit Library");
    if (!path.isEmpty()) editLibraryFile(path);
}

bool MainFrame::editLibraryFile(const QString& path) {
    LibraryLoadOptions options;
    options.prompter = prompter_;
    options.libraryFolder = settings_.libDir;
    options.relocations = &workspace_->libraryRelocations;
    bool opened = false;
    {
        WaitCursor wait;
        opened = openLibraryForEditing(*workspace_, enginePath(path), std::move(options)).isOk();
    }
    refreshAll();
    return opened;
}

} // namespace zx
