// Letting the window's pending events run while a long piece of work is under way.
#pragma once

namespace arkstash::ui {

class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // Runs the events that are waiting, then returns. Handlers may call back into the window.
    virtual void processPendingEvents() = 0;
};

// Without a desktop there is nothing to run.
class NoEventLoop final : public EventLoop {
  public:
    void processPendingEvents() override {}
};

}  // namespace arkstash::ui
