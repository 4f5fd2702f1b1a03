// The publish dialog's login panel and account dialog against our publication server.
#include "ui/PublishDialog.h"
#include "PublishServer.h"
#include "ServerDatabase.h"
#include "platform/SettingsStore.h"
#include "ui/PasswordVault.h"
#include "ui/PublishAccountDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <map>
#include <thread>

namespace zx {

class PublishDialogTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        data_ = std::filesystem::temp_directory_path() /
                ("zx-publish-dialog-" + std::to_string(QCoreApplication::applicationPid()));
        QVERIFY(server::prepareDataFolder(data_, nullptr));
        db_ = server::ServerDatabase::open(data_ / "publish.db");
        QVERIFY(db_);
        server::ServerConfig config;
        config.dataDir = data_;
        http_ = std::make_unique<server::PublishServer>(config, *db_);
        port_ = http_->bindToAnyPort("127.0.0.1");
        thread_ = std::thread([this] { http_->listenAfterBind(); });
    }
    void cleanupTestCase() {
        http_->stop();
        thread_.join();
        std::filesystem::remove_all(data_);
    }

    void createsAnAccountAndLogsIn() {
        PublicationClient client(address());
        PublishAccountDialog account(client);
        fill(account, {"bob", "pw1234", "pw1234", "b@example.org"});
        account.checkName();
        QCOMPARE(account.statusText(), QString("bob: Available"));
        account.findChild<QCheckBox*>()->setChecked(true);
        account.create();
        QCOMPARE(account.statusText(), QString("bob: Account successfully created"));
        QCOMPARE(account.createdUser(), QString("bob"));

        MemorySettingsStore settings;
        int published = 0;
        PublishDialog dialog(PublishDialog::Kind::Scene, client, settings, nullptr,
                             [&](PublicationClient& c, const PublicationDetails& d,
                                 const std::filesystem::path&) -> Result<PublishedItem> {
                                 ++published;
                                 return PublishedItem{"h1", c.playerLink("h1") + d.category, ""};
                             });
        QCOMPARE(dialog.loginText(), QString("Publishing as Guest"));
        dialog.setCredentials("bob", "nope");
        dialog.login();
        QCOMPARE(dialog.loginText(), QString("Invalid user name or password"));
        dialog.findChild<QCheckBox*>()->setChecked(true);
        dialog.setCredentials("bob", "pw1234");
        dialog.login();
        QCOMPARE(dialog.loginText(), QString("Publishing as bob"));
        QCOMPARE(settings.readString("password").value_or(""), std::string("pw1234"));
        // The adult account is offered the "Adult" category.
        QComboBox* category = dialog.findChildren<QComboBox*>().last();
        QCOMPARE(category->findData("Adult") >= 0, true);
        dialog.publish();
        QCOMPARE(published, 1);
        QVERIFY(dialog.resultText().startsWith(QString::fromStdString(client.playerLink("h1"))));

        // Unticking "Remember me" forgets the password at the next login.
        dialog.findChild<QCheckBox*>()->setChecked(false);
        dialog.login();
        QCOMPARE(settings.readString("password").value_or("x"), std::string());
    }

    // With a keyring the settings file never holds the password; without one it does,
    // and the dialog says so.
    void remembersThroughTheKeyringWhenOneAnswers() {
        PublicationClient client(address());
        PublishAccountDialog account(client);
        fill(account, {"kim", "pw4321", "pw4321", "k@example.org"});
        account.create();
        for (const bool keyring : {true, false}) {
            FakeVault vault;
            vault.answers = keyring;
            MemorySettingsStore settings;
            auto open = [&] {
                return std::make_unique<PublishDialog>(PublishDialog::Kind::Scene, client, settings,
                                                       &vault, PublishDialog::Publisher{});
            };
            auto dialog = open();
            dialog->findChild<QCheckBox*>()->setChecked(true);
            dialog->setCredentials("kim", "pw4321");
            dialog->login();
            QCOMPARE(dialog->loginText(), QString("Publishing as kim"));
            QCOMPARE(settings.readString("password").value_or("").empty(), keyring);
            QCOMPARE(vault.stored.count("kim") == 1, keyring);
            QCOMPARE(warningShown(*dialog), !keyring);

            // The next dialog fills in what was remembered, from wherever it was kept.
            dialog = open();
            QCOMPARE(dialog->findChildren<QLineEdit*>()[1]->text(), QString("pw4321"));
            dialog->findChild<QCheckBox*>()->setChecked(false);
            dialog->login();
            QVERIFY(vault.stored.empty());
            QVERIFY(settings.readString("password").value_or("").empty());
        }
    }

private:
    struct FakeVault : PasswordVault {
        bool answers = true;
        std::map<QString, QString> stored;
        bool available() override { return answers; }
        std::optional<QString> read(const QString& user) override {
            const auto it = stored.find(user);
            return it == stored.end() ? std::nullopt : std::optional(it->second);
        }
        bool write(const QString& user, const QString& password) override {
            stored[user] = password;
            return true;
        }
        void erase(const QString& user) override { stored.erase(user); }
    };
    static bool warningShown(const PublishDialog& d) {
        for (const QLabel* label : d.findChildren<QLabel*>())
            if (label->text().contains("keyring")) return !label->isHidden();
        return false;
    }
    PublishServerAddress address() const {
        return {"http://127.0.0.1:" + std::to_string(port_), "", "127.0.0.1", ""};
    }
    static void fill(QDialog& d, const QStringList& texts) {
        const QList<QLineEdit*> fields = d.findChildren<QLineEdit*>();
        for (int i = 0; i < texts.size() && i < fields.size(); ++i) fields[i]->setText(texts[i]);
    }

    std::filesystem::path data_;
    std::unique_ptr<server::ServerDatabase> db_;
    std::unique_ptr<server::PublishServer> http_;
    std::thread thread_;
    int port_ = 0;
};

} // namespace zx

QTEST_MAIN(zx::PublishDialogTest)
#include "PublishDialogTest.moc"
