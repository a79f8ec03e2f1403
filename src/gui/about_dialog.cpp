#include "gui/about_dialog.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include "gui/twips.h"

namespace arkstash::gui {

namespace {

class LogoWidget : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        paintLogo(painter, rect());
    }
};

// One project file: a sheet with a folded corner and a few lines of code on it.
void paintSheet(QPainter& p, QPointF centre, qreal degrees) {
    p.save();
    p.translate(centre);
    p.rotate(degrees);
    QPainterPath sheet;
    sheet.moveTo(-20, -26);
    sheet.lineTo(10, -26);
    sheet.lineTo(20, -16);
    sheet.lineTo(20, 26);
    sheet.lineTo(-20, 26);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(0x9a, 0xb4, 0xc4), 1));
    p.setBrush(QColor(0xf7, 0xf9, 0xfb));
    p.drawPath(sheet);
    p.setBrush(QColor(0xd5, 0xe0, 0xe8));
    p.drawPolygon(QPolygonF{QPointF(10, -26), QPointF(10, -16), QPointF(20, -16)});
    p.setPen(QPen(QColor(0x5b, 0x86, 0xa6), 2.2, Qt::SolidLine, Qt::RoundCap));
    // Indented lines in the middle, as a procedure's body is.
    const qreal ends[] = {8, 14, 2, 12, 6};
    for (int i = 0; i < 5; ++i) {
        const qreal start = i == 2 || i == 3 ? -8 : -14;
        p.drawLine(QPointF(start, -14 + i * 8), QPointF(ends[i], -14 + i * 8));
    }
    p.restore();
}

}  // namespace

void paintLogo(QPainter& p, const QRectF& area) {
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(area.topLeft());
    p.scale(area.width() / 100.0, area.height() / 200.0);

    // Night-blue ground.
    QLinearGradient ground(0, 0, 0, 200);
    ground.setColorAt(0, QColor(0x23, 0x5a, 0x7a));
    ground.setColorAt(1, QColor(0x0e, 0x26, 0x38));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(1, 1, 98, 198), 10, 10);

    // The project's files...
    paintSheet(p, QPointF(38, 52), -12);
    paintSheet(p, QPointF(62, 50), 10);
    paintSheet(p, QPointF(50, 60), 0);

    // ...go down...
    p.setPen(QPen(QColor(0xf2, 0xb1, 0x4a), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF{QPointF(38, 98), QPointF(50, 108), QPointF(62, 98)});

    // ...into one chest, closed with a zip.
    const QColor wood(0xd0, 0x8a, 0x2e), woodDark(0x7a, 0x4b, 0x12), woodLight(0xe8, 0xa8, 0x4c);
    QLinearGradient body(0, 132, 0, 178);
    body.setColorAt(0, wood);
    body.setColorAt(1, QColor(0xa8, 0x66, 0x1c));
    p.setPen(QPen(woodDark, 2));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(16, 132, 68, 46), 4, 4);
    QPainterPath lid;
    lid.moveTo(12, 134);
    lid.lineTo(12, 126);
    lid.cubicTo(12, 114, 88, 114, 88, 126);
    lid.lineTo(88, 134);
    lid.closeSubpath();
    p.setBrush(woodLight);
    p.drawPath(lid);
    p.setPen(QPen(woodDark, 1.5));
    for (qreal x : {30.0, 70.0}) p.drawLine(QPointF(x, 134), QPointF(x, 177));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xcf, 0xd6, 0xdc));
    for (int i = 0; i < 10; ++i) {
        const qreal y = 136 + i * 4;
        p.drawRect(QRectF(i % 2 ? 50 : 46.5, y, 3.5, 2.4));
    }
    p.setPen(QPen(QColor(0x55, 0x5f, 0x68), 1));
    p.setBrush(QColor(0xe9, 0xed, 0xf0));
    p.drawRoundedRect(QRectF(46, 158, 8, 14), 2, 2);

    p.restore();
}

AboutDialog::AboutDialog(window::AboutBox& box, QWidget* parent) : QDialog(parent), box_(box) {
    setObjectName(QString::fromStdString(box.frame.name));
    setWindowTitle(QString::fromStdString(box.caption));
    setModal(true);
    QFont font(QString::fromStdString(box.fontName));
    font.setPointSizeF(box.fontPoints);
    setFont(font);

    const TwipsPerPixel scale = twipsPerPixel(screen());
    auto placed = [&](QWidget* widget, const controls::ControlState& state) {
        widget->setObjectName(QString::fromStdString(state.name));
        widget->setGeometry(toPixels(state.left, scale.x), toPixels(state.top, scale.y),
                            toPixels(state.width, scale.x), toPixels(state.height, scale.y));
        return widget;
    };
    setFixedSize(toPixels(box.frame.width, scale.x), toPixels(box.frame.height, scale.y));
    placed(new LogoWidget(this), box.logo);

    for (controls::Label* state : {&box.title, &box.version, &box.tagline, &box.visitUs,
                                   &box.updates, &box.otherTools, &box.disclaimer}) {
        auto* label = new QLabel(QString::fromStdString(state->caption()), this);
        label->setTextFormat(Qt::PlainText);
        label->setWordWrap(true);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (state->bold) {
            QFont titleFont = label->font();
            titleFont.setBold(true);
            titleFont.setPointSizeF(box.fontPoints * 1.75);
            label->setFont(titleFont);
        }
        placed(label, *state);
    }
    const QString address = QString::fromStdString(box.webLink.caption());
    auto* link = new QLabel(QString("<a href=\"%1\">%1</a>").arg(address.toHtmlEscaped()), this);
    link->setTextFormat(Qt::RichText);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    link->setToolTip(address);
    // The address goes out through the shell, as every other web request of the program does.
    connect(link, &QLabel::linkActivated, this, [&box] { box.webLinkClicked(); });
    placed(link, box.webLink);

    for (controls::Button* state : {&box.okButton, &box.supportButton}) {
        auto* button = new QPushButton(QString::fromStdString(state->caption), this);
        connect(button, &QPushButton::clicked, this, [state] { state->click(); });
        placed(button, *state);
    }
    findChild<QPushButton*>(QString::fromStdString(box.okButton.name))->setDefault(true);
    box.closed = [this] { accept(); };
}

AboutDialog::~AboutDialog() {
    box_.closed = nullptr;
}

void AboutDialog::showModal(ui::Shell& shell, QWidget* parent) {
    window::AboutBox box(shell);
    AboutDialog dialog(box, parent);
    dialog.exec();
}

}  // namespace arkstash::gui
