// Letting the message loop run once on Qt: whatever events are pending (repaints above all)
// are handled, then control comes back.
#pragma once

#include "platform/ui/runtime.h"

namespace arkstash::gui {

class QtEventLoop : public ui::EventLoop {
  public:
    void DoEvents() override;
};

}  // namespace arkstash::gui
