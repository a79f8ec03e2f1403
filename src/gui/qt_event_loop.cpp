#include "gui/qt_event_loop.h"

#include <QCoreApplication>
#include <QTimer>

namespace arkstash::gui {

namespace {

class QtTimer final : public ui::Timer {
  public:
    QtTimer(std::chrono::milliseconds delay, bool repeat, std::function<void()> fire)
        : timer_(new QTimer(QCoreApplication::instance())) {
        timer_->setSingleShot(!repeat);
        timer_->setInterval(delay);
        QObject::connect(timer_, &QTimer::timeout, [fire = std::move(fire)] { fire(); });
        timer_->start();
    }
    // The handle may be dropped by the very call the timer is making: the timer stops at once
    // and goes once that call has returned.
    ~QtTimer() override {
        timer_->stop();
        QObject::disconnect(timer_, nullptr, nullptr, nullptr);
        timer_->deleteLater();
    }

  private:
    QTimer* timer_;
};

}  // namespace

void QtEventLoop::processPendingEvents() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

std::unique_ptr<ui::Timer> QtEventLoop::startTimer(std::chrono::milliseconds delay, bool repeat,
                                                   std::function<void()> fire) {
    if (!QCoreApplication::instance()) return nullptr;
    return std::make_unique<QtTimer>(delay, repeat, std::move(fire));
}

}  // namespace arkstash::gui
