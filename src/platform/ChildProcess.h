#pragma once
// Another program run as a child process: started from an argument array (no shell,
// so no argument ever needs quoting), with its standard output and standard error
// read through one pipe and its standard input reading nothing. A child that is
// still running when the object goes away is killed and reaped.

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace zx {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts `argv[0]` (looked up in PATH when it holds no slash) with `argv`. False
    // when the program cannot be started; `error` then gets the system's reason.
    bool start(const std::vector<std::string>& argv, std::string* error = nullptr);

    enum class ReadStatus { Data, Timeout, Closed };
    // Waits at most `timeout` for output and appends what is there to `out`. Closed once
    // the child and everything it started have closed their end of the pipe.
    ReadStatus read(std::string& out, std::chrono::milliseconds timeout);

    // The exit status once the child has ended (its exit code, or 128 + the signal
    // that ended it); none while it runs. `wait` blocks until it ends.
    std::optional<int> exitStatus();
    int wait();
    // Ends the child at once (SIGKILL) and reaps it.
    void kill();

    bool started() const { return pid_ > 0; }

private:
    void closePipe();

    pid_t pid_ = -1;
    int pipe_ = -1;
    std::optional<int> status_;
};

} // namespace zx
