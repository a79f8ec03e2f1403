// Letting Qt's event loop run once: whatever events wait (repaints above all) are handled, then
// control comes back. Timers are Qt's.
#pragma once

#include "platform/ui/event_loop.h"

namespace arkstash::gui {

class QtEventLoop : public ui::EventLoop {
  public:
    void processPendingEvents() override;
    std::unique_ptr<ui::Timer> startTimer(std::chrono::milliseconds delay, bool repeat,
                                          std::function<void()> fire) override;
};

}  // namespace arkstash::gui
