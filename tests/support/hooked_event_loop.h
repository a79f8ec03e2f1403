// An event loop for tests: counts how often the code let events run and runs a test's hook
// there, where the desktop would handle the user's clicks.
#pragma once

#include <functional>

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
};

}  // namespace arkstash::test
