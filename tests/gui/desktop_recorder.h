// What the program hands the desktop: the addresses and files it asks to open, taken from Qt's
// desktop services instead of starting a browser or a file manager.
#pragma once

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

namespace arkstash::test {

class DesktopRecorder : public QObject {
    Q_OBJECT

  public:
    // Takes over the requests of these URL schemes ("file", "https") while it lives.
    explicit DesktopRecorder(QStringList schemes) : schemes_(std::move(schemes)) {
        for (const QString& s : schemes_) QDesktopServices::setUrlHandler(s, this, "open");
    }
    ~DesktopRecorder() override {
        for (const QString& s : schemes_) QDesktopServices::unsetUrlHandler(s);
    }
    QList<QUrl> opened;

  public slots:
    void open(const QUrl& url) { opened << url; }

  private:
    QStringList schemes_;
};

// Runs `act` on the modal dialog once the dialog's own event loop is running.
void whenModal(std::function<void(QWidget*)> act);

}  // namespace arkstash::test
