// The one error type of the outside world, and the guard that drops a single failed action.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>
#include <utility>

namespace arkstash {

// Thrown by every platform call that fails: an IDE member, a file look-up, a control
// operation, the registry, the archive engine. `number` and `source` carry a control's
// error number and source name where one applies (0 and empty otherwise).
class PlatformError : public std::runtime_error {
  public:
    explicit PlatformError(const std::string& description, long number = 0, std::string source = {})
        : std::runtime_error(description), number_(number), source_(std::move(source)) {}

    long number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    std::string description() const { return what(); }

  private:
    long number_;
    std::string source_;
};

// Runs one guarded action: when it fails with a PlatformError (or any standard exception,
// which a platform backend may let through), the action is dropped and the caller goes on
// with the next one. Returns true when the action ran to its end.
template <typename F>
bool attempt(F&& action) noexcept {
    try {
        std::forward<F>(action)();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace arkstash
