// An event loop for tests: counts how often the code let events run and runs a test's hook
// there, where the desktop would handle the user's clicks. Its timers fire when the test says
// the time has passed.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "platform/ui/event_loop.h"

namespace arkstash::test {

class HookedEventLoop final : public ui::EventLoop {
  public:
    int runs = 0;
    std::function<void()> hook;
    void processPendingEvents() override {
        ++runs;
        if (hook) hook();
    }

    struct ManualTimer {
        std::chrono::milliseconds delay;
        bool repeat = false;
        std::function<void()> fire;
        bool live = true;  // its handle is held and, for a single shot, it has not fired
    };
    std::vector<std::shared_ptr<ManualTimer>> timers;

    std::unique_ptr<ui::Timer> startTimer(std::chrono::milliseconds delay, bool repeat,
                                          std::function<void()> fire) override {
        auto timer = std::make_shared<ManualTimer>(ManualTimer{delay, repeat, std::move(fire)});
        timers.push_back(timer);
        struct Handle final : ui::Timer {
            std::shared_ptr<ManualTimer> timer;
            explicit Handle(std::shared_ptr<ManualTimer> t) : timer(std::move(t)) {}
            ~Handle() override { timer->live = false; }
        };
        return std::make_unique<Handle>(timer);
    }
    // The timers still to fire, with their delays.
    std::vector<std::chrono::milliseconds> liveDelays() const {
        std::vector<std::chrono::milliseconds> delays;
        for (const auto& t : timers)
            if (t->live) delays.push_back(t->delay);
        return delays;
    }
    // Fires, once each, the live timers started with this delay, as the loop would once it had
    // passed. Answers how many fired.
    int elapse(std::chrono::milliseconds delay) {
        std::vector<std::shared_ptr<ManualTimer>> due;
        for (const auto& t : timers)
            if (t->live && t->delay == delay) due.push_back(t);
        for (const auto& t : due) {
            if (!t->repeat) t->live = false;
            t->fire();
        }
        return static_cast<int>(due.size());
    }
};

}  // namespace arkstash::test
