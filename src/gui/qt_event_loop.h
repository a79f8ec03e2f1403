// Letting Qt's event loop run once: whatever events wait (repaints above all) are handled, then
// control comes back.
#pragma once

#include "platform/ui/event_loop.h"

namespace arkstash::gui {

class QtEventLoop : public ui::EventLoop {
  public:
    void processPendingEvents() override;
};

}  // namespace arkstash::gui
