#pragma once
// The dialog for a new account of the publication service: the rules, a check that
// the name is free, and creation.

#include "output/PublicationClient.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace zx {

// The dialog for a new account: the rules, "Check availability" and creation.
class PublishAccountDialog : public QDialog {
    Q_OBJECT
public:
    PublishAccountDialog(PublicationClient& client, QWidget* parent = nullptr);
    QString statusText() const;
    QString createdUser() const { return created_; }

public slots:
    void checkName();
    void create();

private:
    PublicationClient& client_;
    QLineEdit* user_ = nullptr;
    QLineEdit* password_ = nullptr;
    QLineEdit* confirmation_ = nullptr;
    QLineEdit* mail_ = nullptr;
    QCheckBox* adult_ = nullptr;
    QLabel* status_ = nullptr;
    QString created_;
};

} // namespace zx
