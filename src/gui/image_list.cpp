#include "gui/image_list.h"

#include <QPainter>
#include <QSvgRenderer>
#include <array>
#include <map>

namespace arkstash::gui {

namespace {

constexpr std::array<const char*, 22> kFiles = {"01-module",
                                                "02-class",
                                                "03-form",
                                                "04-resource",
                                                "05-form",
                                                "06-mdi-form",
                                                "07-property-page",
                                                "08-user-control",
                                                "09-user-document",
                                                "10-related-document",
                                                "11-designer",
                                                "12-standard-exe",
                                                "13-activex-exe",
                                                "14-activex-dll",
                                                "15-activex-control",
                                                "16-folder",
                                                "17-folder-open",
                                                "18-reference",
                                                "19-group",
                                                "20-add-file",
                                                "21-remove-file",
                                                "22-user-added"};

// Sizes in device pixels: 16 and 32 cover list rows at 100 % and 200 %, the rest the project
// picture and tool buttons.
constexpr std::array<int, 6> kSizes = {16, 24, 32, 48, 64, 96};

void addRendering(QIcon& icon, int index, QIcon::Mode mode) {
    if (index < 1 || index > static_cast<int>(kFiles.size())) return;
    QSvgRenderer svg(QStringLiteral(":/images/%1.svg").arg(kFiles[index - 1]));
    if (!svg.isValid()) return;
    for (int size : kSizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap, mode);
    }
}

}  // namespace

QIcon imageListIcon(int index, int selectedIndex) {
    static std::map<std::pair<int, int>, QIcon> cache;
    auto key = std::make_pair(index, selectedIndex);
    if (auto found = cache.find(key); found != cache.end()) return found->second;
    QIcon icon;
    addRendering(icon, index, QIcon::Normal);
    if (!icon.isNull()) addRendering(icon, selectedIndex, QIcon::Selected);
    cache.emplace(key, icon);
    return icon;
}

QIcon imageListIcon(int index) {
    return imageListIcon(index, 0);
}

}  // namespace arkstash::gui
