#include "gui/host_desktop.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QImage>
#include <QMimeData>

#include "controls/colours.h"
#include "gui/system_colours.h"
#include "platform/error.h"

namespace arkstash::gui {

namespace {
constexpr const char* kPng = "image/png";
}

ui::ClipboardContent QtClipboard::content() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) throw PlatformError("The clipboard cannot be read");
    ui::ClipboardContent content;
    const QMimeData* data = clipboard->mimeData();
    if (!data) return content;  // nothing was ever copied
    if (data->hasFormat(kPng)) {
        QByteArray png = data->data(kPng);
        content.picture.assign(png.constData(), static_cast<std::size_t>(png.size()));
    } else if (data->hasImage()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        qvariant_cast<QImage>(data->imageData()).save(&buffer, "PNG");
        content.picture.assign(png.constData(), static_cast<std::size_t>(png.size()));
    }
    if (data->hasText()) content.text = data->text().toStdString();
    return content;
}

void QtClipboard::setContent(const ui::ClipboardContent& content) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) throw PlatformError("The clipboard cannot be written");
    if (content.empty()) {
        clipboard->clear();
        return;
    }
    auto* data = new QMimeData;
    if (!content.picture.empty()) {
        QByteArray png(content.picture.data(), static_cast<qsizetype>(content.picture.size()));
        data->setData(kPng, png);
        data->setImageData(QImage::fromData(png, "PNG"));
    }
    if (!content.text.empty()) data->setText(QString::fromStdString(content.text));
    clipboard->setMimeData(data);
}

std::uint32_t QtSystemColours::GetSysColor(int index) {
    QColor c = toQColor(controls::kSystemColourFlag | static_cast<controls::Colour>(index),
                        QApplication::palette());
    return static_cast<std::uint32_t>(c.blue()) << 16 | static_cast<std::uint32_t>(c.green()) << 8 |
           static_cast<std::uint32_t>(c.red());
}

}  // namespace arkstash::gui
