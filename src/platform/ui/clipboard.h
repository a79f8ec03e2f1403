// The system clipboard: a picture (encoded image bytes) or a text.
#pragma once

#include <string>

namespace arkstash::ui {

struct ClipboardContent {
    std::string picture;  // encoded image (PNG), empty for none
    std::string text;
    bool empty() const { return picture.empty() && text.empty(); }
};

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual ClipboardContent content() = 0;
    // Replaces what the clipboard holds.
    virtual void setContent(const ClipboardContent& content) = 0;
};

// A clipboard of the process's own, where there is no desktop.
class MemoryClipboard final : public Clipboard {
  public:
    ClipboardContent content() override { return content_; }
    void setContent(const ClipboardContent& content) override { content_ = content; }

  private:
    ClipboardContent content_;
};

}  // namespace arkstash::ui
