// Letting the window's pending events run while a long piece of work is under way, and calls the
// loop makes later, on its own.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace arkstash::ui {

// A call the event loop makes later; dropping the handle stops it.
class Timer {
  public:
    virtual ~Timer() = default;
};

class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // Runs the events that are waiting, then returns. Handlers may call back into the window.
    virtual void processPendingEvents() = 0;
    // Calls `fire` from the loop once `delay` has passed, and with `repeat` every `delay` after
    // that, until the handle is dropped. None where the loop has no clock: nothing will fire.
    virtual std::unique_ptr<Timer> startTimer(std::chrono::milliseconds /*delay*/, bool /*repeat*/,
                                              std::function<void()> /*fire*/) {
        return nullptr;
    }
};

// Without a desktop there is nothing to run.
class NoEventLoop final : public EventLoop {
  public:
    void processPendingEvents() override {}
};

}  // namespace arkstash::ui
