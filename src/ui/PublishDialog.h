#pragma once
// The publish dialogs ("Publish To Web..." and "Publish a Video"): the login panel, the
// item's details and, for a video, the file. The publication itself is the caller's
// `Publisher`, run when the user presses Publish; the links it gives are shown.

#include "output/Publication.h"
#include "output/PublicationClient.h"

#include <QDialog>

#include <filesystem>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace zx {

class PasswordVault;
class SettingsStore;

class PublishDialog : public QDialog {
    Q_OBJECT
public:
    using Publisher = std::function<Result<PublishedItem>(
        PublicationClient&, const PublicationDetails&, const std::filesystem::path& video)>;
    // A scene, a video file (the dialog asks for it) or the movie.
    enum class Kind { Scene, Video, Movie };

    // "Remember me" keeps the password in `vault` when it answers, else in `settings`.
    PublishDialog(Kind kind, PublicationClient& client, SettingsStore& settings,
                  PasswordVault* vault, Publisher publisher, QWidget* parent = nullptr);

    // The texts the panel shows now (for tests and the status line).
    QString loginText() const;
    QString resultText() const;
    void setCredentials(const QString& user, const QString& password);
    void setTitle(const QString& title);
    void setVideo(const QString& path);

public slots:
    void login();
    void createAccount();
    void publish();
    void browse();

private:
    QWidget* buildLoginPanel();
    QWidget* buildDetails();
    void fillCategories();
    void rememberCredentials();
    void fillRememberedCredentials();

    Kind kind_;
    PublicationClient& client_;
    SettingsStore& settings_;
    PasswordVault* vault_;
    Publisher publisher_;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QCheckBox* remember_ = nullptr;
    QLabel* loginStatus_ = nullptr;
    QLabel* plainPasswordWarning_ = nullptr;
    QLineEdit* video_ = nullptr;
    QLineEdit* title_ = nullptr;
    QPlainTextEdit* description_ = nullptr;
    QComboBox* privacy_ = nullptr;
    QComboBox* category_ = nullptr;
    QLabel* result_ = nullptr;
};

} // namespace zx
