#include "platform/ChildProcess.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace zx {

namespace {

int statusFromWait(int raw) {
    if (WIFEXITED(raw)) return WEXITSTATUS(raw);
    if (WIFSIGNALED(raw)) return 128 + WTERMSIG(raw);
    return -1;
}

// The child starts with every signal at its default action and none blocked, whatever
// the caller ignores or blocks (a terminal program may ignore SIGPIPE, say).
void resetSignals(posix_spawnattr_t* attr) {
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(attr, &all);
    posix_spawnattr_setsigmask(attr, &none);
    posix_spawnattr_setflags(attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
}

} // namespace

ChildProcess::~ChildProcess() {
    if (started() && !status_) kill();
    closePipe();
}

void ChildProcess::closePipe() {
    if (pipe_ >= 0) ::close(pipe_);
    pipe_ = -1;
}

bool ChildProcess::start(const std::vector<std::string>& argv, std::string* error) {
    if (started() || argv.empty()) return false;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        if (error) *error = std::strerror(errno);
        return false;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Descriptors the caller opened without close-on-exec stay out of the child.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    resetSignals(&attr);

    pid_t pid = -1;
    const int rc = ::posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (rc != 0) {
        ::close(fds[0]);
        if (error) *error = argv[0] + ": " + std::strerror(rc);
        return false;
    }
    pid_ = pid;
    pipe_ = fds[0];
    status_.reset();
    return true;
}

ChildProcess::ReadStatus ChildProcess::read(std::string& out, std::chrono::milliseconds timeout) {
    if (pipe_ < 0) return ReadStatus::Closed;
    pollfd pfd{pipe_, POLLIN, 0};
    int ready;
    do {
        ready = ::poll(&pfd, 1, int(timeout.count()));
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) return ReadStatus::Timeout;
    char buffer[65536];
    ssize_t n;
    do {
        n = ::read(pipe_, buffer, sizeof buffer);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
        closePipe();
        return ReadStatus::Closed;
    }
    out.append(buffer, size_t(n));
    return ReadStatus::Data;
}

std::optional<int> ChildProcess::exitStatus() {
    if (status_ || !started()) return status_;
    int raw = 0;
    pid_t r;
    do {
        r = ::waitpid(pid_, &raw, WNOHANG);
    } while (r < 0 && errno == EINTR);
    if (r == pid_)
        status_ = statusFromWait(raw);
    else if (r < 0)
        status_ = -1; // reaped elsewhere: nothing left to wait for
    return status_;
}

int ChildProcess::wait() {
    if (status_ || !started()) return status_.value_or(-1);
    int raw = 0;
    pid_t r;
    do {
        r = ::waitpid(pid_, &raw, 0);
    } while (r < 0 && errno == EINTR);
    status_ = r == pid_ ? statusFromWait(raw) : -1;
    return *status_;
}

void ChildProcess::kill() {
    if (!started() || status_) return;
    ::kill(pid_, SIGKILL);
    wait();
}

} // namespace zx
