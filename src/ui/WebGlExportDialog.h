#pragma once
// "Publish Animation to 3D WebGL - Advanced settings": the page's canvas, shading and
// light, playback, the visitor's camera controls, the background, and the animators
// the page runs by itself (scenery/camera, light, background). "Browser Preview"
// and "Export to Folder..." are handed to the window through callbacks; the dialog
// stays open so the user can try settings one after another.

#include "output/BrowserLauncher.h"
#include "output/WebGlExport.h"

#include <QDialog>

#include <functional>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QSpinBox;
class QTableWidget;
class QVBoxLayout;

namespace zx {

class WebGlExportDialog : public QDialog {
    Q_OBJECT
public:
    using Action = std::function<void(const WebGlExportOptions&)>;

    WebGlExportDialog(const WebGlExportOptions& options, QWidget* parent = nullptr);

    // What the dialog holds now (the options given, changed by the controls).
    WebGlExportOptions options() const;
    void setOptions(const WebGlExportOptions& options);
    // The frame "Publish current frame only as a 3D static object" publishes.
    void setCurrentFrame(int frame) { currentFrame_ = frame; }
    void onBrowserPreview(Action action) { preview_ = std::move(action); }
    void onExportToFolder(Action action) { export_ = std::move(action); }
    void onPublish(Action action) { publish_ = std::move(action); }
    // The browsers "Browser Preview" may use; the first is the desktop's default.
    void setBrowsers(std::vector<Browser> browsers);
    Browser chosenBrowser() const;
    void chooseBrowser(int index);

    // For tests: the buttons as the user presses them.
    void pressShading(int index);
    void pressLight(int index);
    void pressBrowserPreview();
    void pressExportToFolder();

    // Animator rows: the scenery/camera's six, the light's two, the background's two.
    static constexpr int kAnimatorRows = 10;
    static constexpr int kAnimatorColumns = 8;
    QTableWidget* animatorTable() const { return animators_; }

private:
    void buildCanvasBox(QVBoxLayout* layout);
    void buildPlaybackBox(QVBoxLayout* layout);
    void buildBackgroundBox(QVBoxLayout* layout);
    void buildAnimatorTable(QVBoxLayout* layout);
    void buildBrowserRow(QVBoxLayout* layout);
    void buildButtons(QVBoxLayout* layout);
    void showBrowserHelp();
    void showAnimators(const WebGlPageSettings& page);
    void readAnimators(WebGlPageSettings& page) const;
    void setGroupTrigger(int row, int trigger);

    WebGlExportOptions base_;
    int shading_ = -1;
    int light_ = -1;
    int currentFrame_ = 0;
    QSpinBox* width_ = nullptr;
    QSpinBox* height_ = nullptr;
    QButtonGroup* shadingButtons_ = nullptr;
    QButtonGroup* lightButtons_ = nullptr;
    QCheckBox* loop_ = nullptr;
    QCheckBox* autoReverse_ = nullptr;
    QCheckBox* staticObject_ = nullptr;
    QCheckBox* userRotate_ = nullptr;
    QCheckBox* userZoom_ = nullptr;
    QCheckBox* userMove_ = nullptr;
    QComboBox* start_ = nullptr;
    QCheckBox* showBackground_ = nullptr;
    QCheckBox* followCamera_ = nullptr;
    QDoubleSpinBox* followAmount_ = nullptr;
    QTableWidget* animators_ = nullptr;
    QComboBox* browser_ = nullptr;
    std::vector<Browser> browsers_;
    Action preview_;
    Action export_;
    Action publish_;
};

} // namespace zx
