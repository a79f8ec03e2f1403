// Small runtime services: letting the message loop run once, the busy pointer, the clipboard.
#pragma once

#include <functional>
#include <string>

namespace arkstash::ui {

class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // Lets pending window events run once (DoEvents). Headless: nothing to run.
    virtual void DoEvents() = 0;
};

// Headless loop; counts the calls and runs an optional hook, which tests use to inject
// re-entrant commands at exactly the points where the window would handle messages.
class HeadlessEventLoop : public EventLoop {
  public:
    int runs = 0;
    std::function<void()> onDoEvents;
    void DoEvents() override {
        ++runs;
        if (onDoEvents) onDoEvents();
    }
};

enum class MousePointer { Default, Hourglass };

class Pointer {
  public:
    MousePointer current = MousePointer::Default;
    int busyShown = 0;  // how often the busy pointer was put up
    void set(MousePointer p) {
        if (p == MousePointer::Hourglass) ++busyShown;
        current = p;
    }
};

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual void setPicture(const std::string& pictureData) = 0;
    virtual std::string picture() = 0;
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() = 0;
    virtual void clear() = 0;
};

class MemoryClipboard : public Clipboard {
  public:
    std::string picture_, text_;
    void setPicture(const std::string& p) override {
        picture_ = p;
        text_.clear();
    }
    std::string picture() override { return picture_; }
    void setText(const std::string& t) override {
        text_ = t;
        picture_.clear();
    }
    std::string text() override { return text_; }
    void clear() override {
        picture_.clear();
        text_.clear();
    }
};

}  // namespace arkstash::ui
