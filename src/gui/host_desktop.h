// What the add-in reaches of the desktop through the host: the system clipboard and the
// desktop's colours.
#pragma once

#include "addin/connect_services.h"
#include "platform/ui/clipboard.h"

namespace arkstash::gui {

// The desktop's clipboard: pictures travel as PNG, texts as plain text.
class QtClipboard final : public ui::Clipboard {
  public:
    ui::ClipboardContent content() override;
    void setContent(const ui::ClipboardContent& content) override;
};

// System colours from the application's palette (the roles gui/system_colours maps them to).
class QtSystemColours final : public addin::SystemColours {
  public:
    std::uint32_t GetSysColor(int index) override;
};

}  // namespace arkstash::gui
