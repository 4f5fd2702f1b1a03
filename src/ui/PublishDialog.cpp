#include "ui/PublishDialog.h"

#include "output/PublicationAccount.h"
#include "platform/SettingsStore.h"
#include "ui/PasswordVault.h"
#include "ui/PublishAccountDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zx {

namespace {

constexpr const char* kRememberSetting = "rememberuser";
constexpr const char* kUserSetting = "username";
constexpr const char* kPasswordSetting = "password";
// Shown when no keyring answers: a remembered password then lies in the settings file.
constexpr const char* kPlainPasswordWarning =
    "No keyring is available: a remembered password is kept unencrypted in the settings file";
constexpr const char* kVideoFilter =
    "All supported video formats (avi, flv, mov, mp4, 3gp, mpeg, ogg, vcd, vob, wmv) (*.avi "
    "*.flv *.mov *.mp4 *.3gp *.mpeg *.ogg *.vcd *.vob *.wmv);;All files (*.*)";

std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

PublishDialog::PublishDialog(Kind kind, PublicationClient& client, SettingsStore& settings,
                             PasswordVault* vault, Publisher publisher, QWidget* parent)
    : QDialog(parent), kind_(kind), client_(client), settings_(settings),
      vault_(vault && vault->available() ? vault : nullptr), publisher_(std::move(publisher)) {
    setWindowTitle(kind == Kind::Video ? "Publish a Video" : "Publish To Web");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildLoginPanel());
    layout->addWidget(buildDetails());
    result_ = new QLabel(this);
    result_->setTextFormat(Qt::PlainText);
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(result_);
    auto* buttons = new QHBoxLayout;
    auto* publishButton = new QPushButton("Publish", this);
    auto* close = new QPushButton("Close", this);
    connect(publishButton, &QPushButton::clicked, this, &PublishDialog::publish);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addStretch();
    buttons->addWidget(publishButton);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    fillRememberedCredentials();
}

// A password remembered before a keyring was there still comes from the settings file,
// until the next login moves it into the keyring.
void PublishDialog::fillRememberedCredentials() {
    if (!settings_.readInt(kRememberSetting).value_or(0)) return;
    remember_->setChecked(true);
    user_->setText(fromUtf8(settings_.readString(kUserSetting).value_or("")));
    std::optional<QString> password = vault_ ? vault_->read(user_->text()) : std::nullopt;
    if (!password) password = fromUtf8(settings_.readString(kPasswordSetting).value_or(""));
    password_->setText(*password);
}

QWidget* PublishDialog::buildLoginPanel() {
    auto* box = new QGroupBox("Login", this);
    user_ = new QLineEdit(box);
    password_ = new QLineEdit(box);
    password_->setEchoMode(QLineEdit::Password);
    remember_ = new QCheckBox("Remember me", box);
    plainPasswordWarning_ = new QLabel(kPlainPasswordWarning, box);
    plainPasswordWarning_->setWordWrap(true);
    plainPasswordWarning_->setVisible(!vault_);
    loginStatus_ = new QLabel(QString::fromStdString(publishingAsText(client_)), box);
    auto* loginButton = new QPushButton("Login", box);
    auto* account = new QPushButton("Create a free account...", box);
    connect(loginButton, &QPushButton::clicked, this, &PublishDialog::login);
    connect(account, &QPushButton::clicked, this, &PublishDialog::createAccount);
    auto* form = new QFormLayout(box);
    form->addRow("User name", user_);
    form->addRow("Password", password_);
    form->addRow(remember_);
    form->addRow(plainPasswordWarning_);
    auto* row = new QHBoxLayout;
    row->addWidget(loginButton);
    row->addWidget(account);
    form->addRow(row);
    form->addRow(loginStatus_);
    return box;
}

QWidget* PublishDialog::buildDetails() {
    auto* box = new QGroupBox("Publication", this);
    auto* form = new QFormLayout(box);
    if (kind_ == Kind::Video) {
        video_ = new QLineEdit(box);
        auto* browseButton = new QPushButton("Browse...", box);
        connect(browseButton, &QPushButton::clicked, this, &PublishDialog::browse);
        auto* row = new QHBoxLayout;
        row->addWidget(video_);
        row->addWidget(browseButton);
        form->addRow("Video File", row);
    }
    title_ = new QLineEdit(box);
    description_ = new QPlainTextEdit(box);
    privacy_ = new QComboBox(box);
    for (const char* p : kPublicationPrivacies) privacy_->addItem(p, QString(p));
    category_ = new QComboBox(box);
    fillCategories();
    form->addRow("Title", title_);
    form->addRow("Description", description_);
    form->addRow("Privacy", privacy_);
    form->addRow("Category", category_);
    return box;
}

void PublishDialog::fillCategories() {
    category_->clear();
    for (const PublicationCategory& c : kPublicationCategories)
        if (std::string_view(c.value) != "Adult" || client_.adultAllowed)
            category_->addItem(c.label, QString(c.value));
}

QString PublishDialog::loginText() const {
    return loginStatus_->text();
}

QString PublishDialog::resultText() const {
    return result_->text();
}

void PublishDialog::setCredentials(const QString& user, const QString& password) {
    user_->setText(user);
    password_->setText(password);
}

void PublishDialog::setTitle(const QString& title) {
    title_->setText(title);
}

void PublishDialog::setVideo(const QString& path) {
    if (video_) video_->setText(path);
}

void PublishDialog::rememberCredentials() {
    const bool remember = remember_->isChecked();
    const QString user = user_->text();
    const QString previous = fromUtf8(settings_.readString(kUserSetting).value_or(""));
    if (vault_ && !previous.isEmpty() && (previous != user || !remember)) vault_->erase(previous);
    const bool inVault = remember && vault_ && vault_->write(user, password_->text());
    plainPasswordWarning_->setVisible(!vault_ || (remember && !inVault));
    const bool plain = remember && !inVault;
    settings_.writeInt(kRememberSetting, remember ? 1 : 0);
    settings_.writeString(kUserSetting, remember ? utf8(user) : std::string());
    settings_.writeString(kPasswordSetting, plain ? utf8(password_->text()) : std::string());
    (void)settings_.flush();
}

void PublishDialog::login() {
    const Status s = loginToService(client_, utf8(user_->text()), utf8(password_->text()));
    loginStatus_->setText(s ? QString::fromStdString(publishingAsText(client_))
                            : QString::fromStdString(s.message()));
    if (s) rememberCredentials();
    fillCategories();
}

void PublishDialog::createAccount() {
    PublishAccountDialog d(client_, this);
    d.exec();
    if (!d.createdUser().isEmpty()) user_->setText(d.createdUser());
}

void PublishDialog::browse() {
    const QString path = QFileDialog::getOpenFileName(this, "Video File", {}, kVideoFilter);
    if (!path.isEmpty()) video_->setText(path);
}

void PublishDialog::publish() {
    PublicationDetails details;
    details.title = utf8(title_->text());
    details.description = utf8(description_->toPlainText());
    details.privacy = utf8(privacy_->currentData().toString());
    details.category = utf8(category_->currentData().toString());
    const std::filesystem::path video =
        video_ ? std::filesystem::path(video_->text().toStdString()) : std::filesystem::path();
    Result<PublishedItem> item = publisher_(client_, details, video);
    result_->setText(item ? fromUtf8(item->playerLink + "\n" + item->shortLink)
                          : fromUtf8(item.status().message()));
}

} // namespace zx
