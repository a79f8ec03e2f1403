#include "gui/host_viewers.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTextBlock>
#include <algorithm>
#include <cctype>
#include <sstream>

namespace arkstash::gui {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::vector<std::string> words(const std::string& line, std::size_t most) {
    std::istringstream in(line);
    std::vector<std::string> out;
    std::string word;
    while (out.size() < most && in >> word) out.push_back(word);
    return out;
}

// `Caption = "Save ""all"""` gives `Save "all"`; none when the line sets no caption.
bool readCaption(const std::string& line, std::string& caption) {
    std::size_t equals = line.find('=');
    if (equals == std::string::npos || lower(words(line.substr(0, equals), 1).front()) != "caption")
        return false;
    std::size_t open = line.find('"', equals);
    if (open == std::string::npos) return false;
    caption.clear();
    for (std::size_t i = open + 1; i < line.size(); ++i) {
        if (line[i] != '"') {
            caption += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == '"') {
            caption += '"';
            ++i;
        } else {
            break;
        }
    }
    return true;
}

class Margin final : public QWidget {
  public:
    explicit Margin(CodeView& view) : QWidget(&view), view_(view) {}
    QSize sizeHint() const override { return {view_.marginWidth(), 0}; }

  protected:
    void paintEvent(QPaintEvent* event) override { view_.paintMargin(event); }

  private:
    CodeView& view_;
};

}  // namespace

ComponentSource readComponentSource(const std::string& text) {
    ComponentSource source;
    std::istringstream in(text);
    std::string line;
    bool inHeader = true;    // before the first line of code
    std::vector<int> open;   // the design's Begin blocks: index of their control, or -1
    int propertyBlocks = 0;  // BeginProperty ... EndProperty inside them
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> first = words(line, 3);
        std::string keyword = first.empty() ? "" : lower(first[0]);
        if (keyword == "attribute") continue;  // the code window hides them wherever they are
        if (inHeader) {
            if (propertyBlocks > 0) {
                if (keyword == "beginproperty") ++propertyBlocks;
                if (keyword == "endproperty") --propertyBlocks;
                continue;
            }
            if (keyword == "beginproperty" && !open.empty()) {
                propertyBlocks = 1;
                continue;
            }
            if (keyword == "begin") {
                int index = -1;
                if (first.size() >= 3) {
                    index = static_cast<int>(source.design.size());
                    source.design.push_back(
                        {static_cast<int>(open.size()), first[1], first[2], {}});
                }
                open.push_back(index);
                continue;
            }
            if (!open.empty()) {
                if (keyword == "end")
                    open.pop_back();
                else if (std::string caption; open.back() >= 0 && readCaption(line, caption))
                    source.design[static_cast<std::size_t>(open.back())].caption = caption;
                continue;
            }
            if (keyword == "version" || keyword == "object") continue;
            inHeader = false;
        }
        source.code.push_back(line);
    }
    return source;
}

CodeView::CodeView(const std::vector<std::string>& lines, QWidget* parent)
    : QPlainTextEdit(parent), margin_(new Margin(*this)) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    QStringList text;
    for (const std::string& line : lines) text << QString::fromStdString(line);
    setPlainText(text.join('\n'));
    setViewportMargins(marginWidth(), 0, 0, 0);
    connect(this, &QPlainTextEdit::updateRequest, this, [this](const QRect& rect, int dy) {
        if (dy != 0)
            margin_->scroll(0, dy);
        else
            margin_->update(0, rect.y(), margin_->width(), rect.height());
    });
}

int CodeView::marginWidth() const {
    int digits = std::max(3, static_cast<int>(QString::number(blockCount()).size()));
    return 10 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void CodeView::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    QRect area = contentsRect();
    margin_->setGeometry(area.left(), area.top(), marginWidth(), area.height());
}

void CodeView::paintMargin(QPaintEvent* event) {
    QPainter painter(margin_);
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    qreal top = blockBoundingGeometry(block).translated(contentOffset()).top();
    const int lineHeight = fontMetrics().height();
    while (block.isValid() && top <= event->rect().bottom()) {
        qreal bottom = top + blockBoundingRect(block).height();
        if (block.isVisible() && bottom >= event->rect().top())
            painter.drawText(0, static_cast<int>(top), margin_->width() - 5, lineHeight,
                             Qt::AlignRight, QString::number(block.blockNumber() + 1));
        block = block.next();
        top = bottom;
    }
}

DesignerOutline::DesignerOutline(const std::vector<DesignedControl>& controls, QWidget* parent)
    : QTreeWidget(parent) {
    setHeaderLabels({tr("Control"), tr("Type"), tr("Caption")});
    std::vector<QTreeWidgetItem*> parents;
    for (const DesignedControl& control : controls) {
        // A control inside an unnamed block hangs below the nearest named one.
        parents.resize(std::min(static_cast<std::size_t>(control.depth), parents.size()));
        QStringList cells{QString::fromStdString(control.name),
                          QString::fromStdString(control.type),
                          QString::fromStdString(control.caption)};
        auto* item = parents.empty() ? new QTreeWidgetItem(this, cells)
                                     : new QTreeWidgetItem(parents.back(), cells);
        parents.push_back(item);
    }
    expandAll();
    for (int column = 0; column < columnCount(); ++column) resizeColumnToContents(column);
}

}  // namespace arkstash::gui
