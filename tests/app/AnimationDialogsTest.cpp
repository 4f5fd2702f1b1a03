// The animation dialogs opened from the main frame offscreen: each one filled through
// its labelled fields, then OK or Cancel, with the record and the history checked.
#include "FrameHarness.h"

#include "anim/CurveLibrary.h"
#include "app/CommandTable.h"
#include "commands/DemoScene.h"
#include "commands/LibraryObjects.h"
#include "storage/CurveFile.h"
#include "ui/AnimationPropertiesDialog.h"
#include "ui/ObjectEditorDialog.h"
#include "ui/QtText.h"
#include "ui/TimeCurveEditorDialog.h"

#include <QAction>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <algorithm>

#include <functional>

using namespace zx;

class AnimationDialogsTest : public QObject, public FrameHarness {
    Q_OBJECT

private:
    using Record = std::optional<std::vector<uint32_t>>;
    Record record() const { return frame_->project().images[0].animation; }
    QString undoText() const { return frame_->action(Cmd::Undo)->text(); }

    // Runs `open`, which shows a modal dialog; `fill` then works on the dialog, and a
    // dialog it leaves open is cancelled.
    template <typename D>
    void runDialog(const std::function<void()>& open, const std::function<void(D&)>& fill) {
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            QDialog* d = frame_->openAnimationDialog();
            if (!d) return;
            if (auto* dialog = qobject_cast<D*>(d)) {
                seen = true;
                fill(*dialog);
            }
            if (d->isVisible()) d->reject();
        });
        open();
        QVERIFY(seen);
    }

    void setFields(const DialogFields& fields,
                   const std::vector<std::pair<QString, QString>>& values) {
        for (const auto& [label, value] : values)
            QVERIFY2(fields.set(label, value), qPrintable(label));
    }

private slots:
    void init() {
        openFrame("settings.ini");
        frame_->settings().curveDir = dir_.filePath("curves").toStdString();
        DemoOptions options;
        options.durationFrames = 6;
        options.meshDefinition = 0;
        auto demo = buildDemoImage(demoPicture(160, 120), "demo.png", options, nullptr, prompter_);
        QVERIFY(demo);
        Workspace& ws = frame_->workspace();
        QVERIFY(ws.selectImage(ws.project().images.append(std::move(demo)), false, false));
        QVERIFY(frame_->trigger(Cmd::ModeAnimate));
        frame_->refreshAll();
    }
    void cleanup() { closeFrame(); }

    void propertiesKeepOneStepOrLeaveTheRecordAlone() {
        const Record before = record();
        QVERIFY(frame_->action(Cmd::AnimProperties)->isEnabled());
        runDialog<AnimationPropertiesDialog>(
            [&] { frame_->trigger(Cmd::AnimProperties); },
            [&](AnimationPropertiesDialog& d) {
                setFields(d.fields(), {{"Object", "2"}, {"Reverse", "1"}, {"Width", "640"}});
                QVERIFY(record() != before); // shown at once
                d.reject();
            });
        QCOMPARE(record(), before);
        runDialog<AnimationPropertiesDialog>([&] { frame_->trigger(Cmd::AnimProperties); },
                                             [&](AnimationPropertiesDialog& d) {
                                                 setFields(d.fields(), {{"Invert", "1"}});
                                                 d.accept();
                                             });
        const Record after = record();
        QVERIFY(after != before);
        QCOMPARE(undoText(), QString("Undo Animation Properties\tCtrl+Z"));
        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(record(), before);
        QVERIFY(frame_->trigger(Cmd::Redo));
        QCOMPARE(record(), after);
    }

    void objectEditorKeepsOneStepOrLeavesTheRecordAlone() {
        const Record before = record();
        const auto edit = [&](bool keep) {
            runDialog<ObjectEditorDialog>([&] { frame_->openObjectEditor(1); },
                                          [&](ObjectEditorDialog& d) {
                                              setFields(d.fields(),
                                                        {{"Effect to edit:", "Scale"},
                                                         {"Selected effect End value", "1000"},
                                                         {"Lock", "1"},
                                                         {"Auto Loop", "1"}});
                                              keep ? d.accept() : d.reject();
                                          });
        };
        edit(false);
        QCOMPARE(record(), before);
        edit(true);
        QVERIFY(record() != before);
        QCOMPARE(undoText(), QString("Undo Edit Object\tCtrl+Z"));
        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(record(), before);
    }

    void objectEditorFlipsATextureAndAsksBeforeLosingIt() {
        const QString lib = dir_.filePath("demo.zxl"); // the demo as one library object
        QVERIFY(frame_->saveObjectFile(lib));
        Result<int> slot = loadObjectIntoCurrentImage(frame_->workspace(), enginePath(lib), {});
        QVERIFY(slot);
        // opening and keeping an untouched object changes no word of the record
        const Record loaded = record();
        const size_t steps = frame_->project().history.labels().size();
        runDialog<ObjectEditorDialog>([&] { frame_->openObjectEditor(*slot); },
                                      [&](ObjectEditorDialog& d) { d.accept(); });
        QCOMPARE(record(), loaded);
        QCOMPARE(frame_->project().history.labels().size(), steps);
        runDialog<ObjectEditorDialog>(
            [&] { frame_->openObjectEditor(*slot); },
            [&](ObjectEditorDialog& d) {
                auto* list = d.findChild<QListWidget*>();
                QVERIFY(list && list->count() > 0);
                const AnimObject& o = d.model().object();
                int row = -1; // the first material with a picture that faces show
                for (int m = 0; m < list->count() && row < 0; ++m) {
                    const size_t t = size_t(d.model().materials()[size_t(m)].texture);
                    const bool used = std::ranges::any_of(
                        o.triangles, [&](const MeshTriangle& f) { return f.material == int(t); });
                    if (used && t < o.library->textures.size() && o.library->textures[t] &&
                        !o.library->textures[t]->empty())
                        row = m;
                }
                QVERIFY(row >= 0);
                list->setCurrentRow(row);
                const auto loadedData = o.library;
                const auto shown = frame_->animateEditedFrame(RenderQuality::Low);
                for (QPushButton* b : d.findChildren<QPushButton*>())
                    if (b->text() == "Flip Horiz") b->click();
                QVERIFY(d.model().object().library != loadedData);
                // The view shows the flipped texture at once, before it is saved.
                const auto flipped = frame_->animateEditedFrame(RenderQuality::Low);
                QVERIFY(shown && flipped && *shown != *flipped);
                QVERIFY(d.model().materialsChanged());

                // Unticked "Apply": a typed colour waits in its field; "All" gives it to
                // every material.
                const uint32_t colour = d.model().materials()[size_t(row)].colour;
                QVERIFY(d.fields().set("Apply", "0"));
                QVERIFY(d.fields().set("Red", "200"));
                QCOMPARE(d.model().materials()[size_t(row)].colour, colour);
                for (QPushButton* b : d.findChildren<QPushButton*>())
                    if (b->text() == "All") b->click();
                for (const ObjectMaterial& m : d.model().materials())
                    QCOMPARE(colourField(m.colour, ColourField::Red), 200);

                prompter_.answers = {Answer::No};
                d.reject(); // "No" keeps the dialog
                QVERIFY(d.isVisible());
                QVERIFY(prompter_.saw("Changes to materials will be lost!\nContinue?"));
                prompter_.answers = {Answer::Yes};
                d.reject();
                QVERIFY(!d.isVisible());
            });
        QCOMPARE(record(), loaded);
    }

    void timeCurveEditorSavesACurveTheNextStartFinds() {
        const Record before = record();
        runDialog<TimeCurveEditorDialog>(
            [&] { frame_->openTimeCurveEditor(0); },
            [&](TimeCurveEditorDialog& d) {
                QTest::mouseClick(d.drawingArea(), Qt::LeftButton, {}, QPoint(5, 400));
                QTest::mouseClick(d.drawingArea(), Qt::LeftButton, {}, QPoint(300, 20));
                d.askName = [](const std::string&) { return std::optional<std::string>("Rise"); };
                setFields(d.fields(), {{"Linear", "1"}, {"Save...", ""}});
                d.accept();
            });
        QVERIFY(record() != before);
        QCOMPARE(undoText(), QString("Undo Select Time Curve\tCtrl+Z"));
        const int rise = frame_->curves().find("Rise");
        QVERIFY(rise >= kBuiltInCurveCount);
        const TimeCurve saved = frame_->curves().curve(rise);

        // The next start reads the curve back from the user curve file.
        frame_->settings().curveDir = dir_.filePath("curves").toStdString();
        store_->writeString("CurveDir", frame_->settings().curveDir);
        store_->flush();
        closeFrame();
        openFrame("settings.ini");
        const int again = frame_->curves().find("Rise");
        QVERIFY(again >= kBuiltInCurveCount);
        QCOMPARE(frame_->curves().curve(again), saved);
    }

    void continuationIsANewImageAfterTheCurrentOne() {
        QVERIFY(frame_->action(Cmd::AddContinuation)->isEnabled());
        QVERIFY(frame_->trigger(Cmd::AddContinuation));
        QCOMPARE(frame_->project().imageCount(), 2);
        QCOMPARE(frame_->project().currentImage, 1);
        QCOMPARE(frame_->mode(), AnimationMode::Animate);
        QCOMPARE(undoText(), QString("Undo Set as continuation\tCtrl+Z"));
        QVERIFY(frame_->trigger(Cmd::Undo));
        QCOMPARE(frame_->project().imageCount(), 1);
    }
};

QTEST_MAIN(AnimationDialogsTest)
#include "AnimationDialogsTest.moc"
