#pragma once
// Progress of long work: a title, a detail line, a position and a way to cancel.

#include <atomic>
#include <string_view>

namespace zx {

class Progress {
public:
    virtual ~Progress() = default;
    virtual void setTitle(std::string_view title) {}
    virtual void setDetail(std::string_view detail) {}
    // position in 0 … total
    virtual void setPosition(long long position, long long total) {}
    virtual bool cancelled() const { return false; }
};

// Does nothing and is never cancelled; also usable as a base with a cancel flag.
class NullProgress : public Progress {
public:
    bool cancelled() const override { return cancelFlag.load(std::memory_order_relaxed); }
    void cancel() { cancelFlag.store(true, std::memory_order_relaxed); }

private:
    std::atomic<bool> cancelFlag{false};
};

} // namespace zx
