#pragma once
// One result type for every operation that can fail. A failure always carries the
// fixed text that is shown to the user and the icon of its message box, so the caller
// (a dialog, the command-line tool, a test) decides how to present it.

#include <cassert>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace veldin {

enum class Icon { None, Error, Warning, Information, Question };

struct Failure {
    std::string text;
    Icon icon = Icon::Error;

    friend bool operator==(const Failure&, const Failure&) = default;
};

inline Failure Fail(std::string_view text, Icon icon = Icon::Error) {
    return Failure{std::string(text), icon};
}

template <class T>
class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}          // NOLINT: implicit by design
    Result(Failure failure) : v_(std::move(failure)) {} // NOLINT

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { assert(ok()); return std::get<0>(v_); }
    const T& value() const& { assert(ok()); return std::get<0>(v_); }
    T&& value() && { assert(ok()); return std::get<0>(std::move(v_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const Failure& failure() const { assert(!ok()); return std::get<1>(v_); }

private:
    std::variant<T, Failure> v_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)), ok_(false) {} // NOLINT

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const Failure& failure() const { assert(!ok_); return failure_; }

private:
    Failure failure_;
    bool ok_ = true;
};

using Status = Result<void>;

} // namespace veldin
