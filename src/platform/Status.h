#pragma once
// The one result type of the engine. A `Status` says how an operation ended (done,
// cancelled by the user, refused before anything changed, or failed part way), with
// the message the user is shown and a detail for logs and the command line (the file
// name, the system's reason). `Result<T>` carries a value when the status is ok.
//
// Messages still reach the user through the Prompter: an engine function that has a
// prompter shows its message there and also returns it, so a caller without one (the
// command-line tool, a test) can print or check it.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace zx {

enum class StatusCode { Ok, Cancelled, Refused, Failed };

class [[nodiscard]] Status {
public:
    Status() = default;

    static Status ok() { return {}; }
    static Status cancelled() { return Status(StatusCode::Cancelled, {}, {}); }
    static Status refused(std::string message, std::string detail = {}) {
        return Status(StatusCode::Refused, std::move(message), std::move(detail));
    }
    static Status failed(std::string message, std::string detail = {}) {
        return Status(StatusCode::Failed, std::move(message), std::move(detail));
    }

    bool isOk() const { return code_ == StatusCode::Ok; }
    bool isCancelled() const { return code_ == StatusCode::Cancelled; }
    explicit operator bool() const { return isOk(); }
    StatusCode code() const { return code_; }

    // What the user is told; empty for ok and cancelled.
    const std::string& message() const { return message_; }
    // The file name and the system's reason, for logs and a second line of text.
    const std::string& detail() const { return detail_; }
    // The message with the detail on a second line, as the command-line tool prints it.
    std::string fullText() const {
        if (detail_.empty()) return message_;
        if (message_.empty()) return detail_;
        return message_ + "\n" + detail_;
    }

private:
    Status(StatusCode code, std::string message, std::string detail)
        : code_(code), message_(std::move(message)), detail_(std::move(detail)) {}

    StatusCode code_ = StatusCode::Ok;
    std::string message_;
    std::string detail_;
};

// A value, or the status that explains why there is none.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    // A result without a value is never ok, even if handed an ok status by mistake.
    Result(Status status)
        : status_(status.isOk() ? Status::failed({}, "no value") : std::move(status)) {}

    bool isOk() const { return value_.has_value(); }
    explicit operator bool() const { return isOk(); }
    const Status& status() const { return status_; }

    T& value() & { return *value_; }
    const T& value() const& { return *value_; }
    T&& value() && { return std::move(*value_); }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    T& operator*() & { return *value_; }
    const T& operator*() const& { return *value_; }

private:
    std::optional<T> value_;
    Status status_;
};

} // namespace zx
