#include "app/KeyringVault.h"

#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <qt6keychain/keychain.h>

#include <memory>

namespace zx {

namespace {

constexpr const char* kService = "Zelvotrix publishing";
// Only asks whether the keyring answers; never written.
constexpr const char* kProbeKey = "zelvotrix-keyring-probe";
// Long enough for the user to unlock the keyring when it asks.
constexpr int kAnswerWaitMs = 60000;

struct JobAnswer {
    QKeychain::Error error = QKeychain::OtherError;
    QString text;
};

// Starts the job and waits for its answer. The job deletes itself when it finishes,
// also after the wait has given up on it.
JobAnswer runJob(QKeychain::Job* job) {
    auto answer = std::make_shared<JobAnswer>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    QObject::connect(job, &QKeychain::Job::finished, [answer, waiting](QKeychain::Job* done) {
        answer->error = done->error();
        if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(done))
            answer->text = read->textData();
        if (waiting) waiting->quit();
    });
    QTimer::singleShot(kAnswerWaitMs, &loop, &QEventLoop::quit);
    job->start();
    loop.exec();
    return *answer;
}

bool answered(QKeychain::Error error) {
    return error == QKeychain::NoError || error == QKeychain::EntryNotFound;
}

} // namespace

bool KeyringVault::available() {
    if (!available_) {
        auto* probe = new QKeychain::ReadPasswordJob(kService);
        probe->setKey(kProbeKey);
        available_ = answered(runJob(probe).error);
    }
    return *available_;
}

std::optional<QString> KeyringVault::read(const QString& user) {
    auto* job = new QKeychain::ReadPasswordJob(kService);
    job->setKey(user);
    const JobAnswer answer = runJob(job);
    if (answer.error != QKeychain::NoError) return std::nullopt;
    return answer.text;
}

bool KeyringVault::write(const QString& user, const QString& password) {
    auto* job = new QKeychain::WritePasswordJob(kService);
    job->setKey(user);
    job->setTextData(password);
    return runJob(job).error == QKeychain::NoError;
}

void KeyringVault::erase(const QString& user) {
    auto* job = new QKeychain::DeletePasswordJob(kService);
    job->setKey(user);
    (void)runJob(job);
}

} // namespace zx
