#include "ui/PublishAccountDialog.h"

#include "output/PublicationAccount.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace zx {

namespace {

QLineEdit* passwordField(QWidget* parent) {
    auto* f = new QLineEdit(parent);
    f->setEchoMode(QLineEdit::Password);
    return f;
}

// Account names and passwords are ASCII by their rules; other text goes as UTF-8.
std::string utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

} // namespace

PublishAccountDialog::PublishAccountDialog(PublicationClient& client, QWidget* parent)
    : QDialog(parent), client_(client) {
    setWindowTitle("Create a free account");
    user_ = new QLineEdit(this);
    password_ = passwordField(this);
    confirmation_ = passwordField(this);
    mail_ = new QLineEdit(this);
    adult_ = new QCheckBox(
        "I certify that I am adult and that viewing adult content is legal in my country", this);
    status_ = new QLabel(this);
    auto* check = new QPushButton("Check availability", this);
    connect(check, &QPushButton::clicked, this, &PublishAccountDialog::checkName);
    auto* form = new QFormLayout;
    form->addRow("User name", user_);
    form->addRow("", check);
    form->addRow("Password", password_);
    form->addRow("Confirm password", confirmation_);
    form->addRow("E-mail", mail_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    buttons->addButton("Create", QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &PublishAccountDialog::create);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(adult_);
    layout->addWidget(status_);
    layout->addWidget(buttons);
}

QString PublishAccountDialog::statusText() const {
    return status_->text();
}

void PublishAccountDialog::checkName() {
    status_->setText(QString::fromStdString(userNameAvailability(client_, utf8(user_->text()))));
}

void PublishAccountDialog::create() {
    NewAccount account;
    account.user = utf8(user_->text());
    account.password = utf8(password_->text());
    account.confirmation = utf8(confirmation_->text());
    account.mail = utf8(mail_->text());
    account.adult = adult_->isChecked();
    Result<std::string> made = createAccount(client_, account);
    status_->setText(QString::fromStdString(made ? *made : made.status().message()));
    if (made) created_ = user_->text();
}

} // namespace zx
