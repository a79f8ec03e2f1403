#include "gui/folder_browser_widget.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QToolButton>

#include "gui/input_codes.h"
#include "gui/system_colours.h"
#include "platform/error.h"

namespace arkstash::gui {

FolderBrowserWidget::FolderBrowserWidget(controls::FolderBrowser& picker, QWidget* parent)
    : QWidget(parent),
      picker_(picker),
      tpp_(twipsPerPixel()),
      surface_(SurfaceUnits::Twips, tpp_),
      edit_(new QLineEdit(this)),
      button_(new QToolButton(this)) {
    setObjectName(QString::fromStdString(picker.name.empty() ? "FolderBrowser" : picker.name));
    edit_->setObjectName("txtFolder");
    edit_->setFrame(true);
    button_->setObjectName("cmdBrowse");
    button_->setIcon(style()->standardIcon(QStyle::SP_DirIcon));
    button_->setIconSize(QSize(16, 16));
    button_->setAutoRaise(false);
    button_->setFocusPolicy(Qt::TabFocus);
    edit_->installEventFilter(this);
    button_->installEventFilter(this);

    connect(edit_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (syncing_) return;
        // The state's new text puts its caret at the start; keep the typist's caret instead,
        // and show whatever the container's Change handler made of the text afterwards.
        typing_ = true;
        picker_.txtFolder.setText(text.toStdString());
        attempt([&] { picker_.txtFolder.setSelStart(edit_->cursorPosition()); });
        typing_ = false;
        syncFromState();
    });
    connect(edit_, &QLineEdit::selectionChanged, this, [this] {
        if (syncing_ || !edit_->hasSelectedText()) return;
        attempt([&] {
            picker_.txtFolder.setSelStart(edit_->selectionStart());
            picker_.txtFolder.setSelLength(edit_->selectionLength());
        });
    });
    connect(edit_, &QLineEdit::cursorPositionChanged, this, [this](int, int now) {
        if (syncing_ || edit_->hasSelectedText()) return;
        attempt([&] { picker_.txtFolder.setSelStart(now); });
    });
    connect(button_, &QToolButton::clicked, this, [this] { picker_.cmdBrowse.click(); });

    surface_.changed = [this] { update(); };
    picker_.attachSurface(&surface_);
    picker_.ViewChanged = [this] { syncFromState(); };
    syncFromState();
}

FolderBrowserWidget::~FolderBrowserWidget() {
    picker_.attachSurface(nullptr);
    picker_.ViewChanged = nullptr;
}

QSize FolderBrowserWidget::sizeHint() const {
    return {toPixels(picker_.width, tpp_.x), toPixels(picker_.height, tpp_.y)};
}

void FolderBrowserWidget::syncFromState() {
    if (typing_) return;
    syncing_ = true;
    const auto& box = picker_.txtFolder;
    QString text = QString::fromStdString(box.text());
    if (edit_->text() != text) edit_->setText(text);
    int start = box.SelStart(), length = box.SelLength();
    if (length > 0)
        edit_->setSelection(start, length);
    else if (edit_->cursorPosition() != start)
        edit_->setCursorPosition(start);
    edit_->setReadOnly(box.locked);
    edit_->setEnabled(box.enabled);
    button_->setEnabled(picker_.enabled);
    edit_->setFont(toQFont(box.Font));
    edit_->setToolTip(QString::fromStdString(box.ToolTipText));
    QPalette pal = edit_->palette();
    attempt([&] {
        pal.setColor(QPalette::Base, toQColor(box.BackColor, palette()));
        pal.setColor(QPalette::Text, toQColor(box.ForeColor, palette()));
    });
    edit_->setPalette(pal);
    edit_->update();
    placeChildren();
    if (box.hasFocus && !edit_->hasFocus()) edit_->setFocus();
    syncing_ = false;
}

void FolderBrowserWidget::placeChildren() {
    auto rect = [this](const controls::ControlState& c) {
        return QRect(toPixels(c.left, tpp_.x), toPixels(c.top, tpp_.y),
                     std::max(0, toPixels(c.width, tpp_.x)),
                     std::max(0, toPixels(c.height, tpp_.y)));
    };
    QRect text = rect(picker_.txtFolder);
    edit_->setGeometry(text);
    edit_->setVisible(text.width() > 0 && picker_.txtFolder.visible);
    button_->setGeometry(rect(picker_.cmdBrowse));
}

void FolderBrowserWidget::catchUpWithSize() {
    if (handledSize_ != size()) handleResize();
}

void FolderBrowserWidget::resizeEvent(QResizeEvent*) {
    handleResize();
}

void FolderBrowserWidget::handleResize() {
    handledSize_ = size();
    surface_.setOuterPixelSize(size());
    picker_.UserControl_Resize(width() * tpp_.x, height() * tpp_.y, tpp_.x, tpp_.y);
    attempt([&] { picker_.UserControl_Paint(); });
}

void FolderBrowserWidget::showEvent(QShowEvent*) {
    picker_.UserControl_Show();
}

void FolderBrowserWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    surface_.paint(p, QPoint(0, 0));
}

bool FolderBrowserWidget::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        std::int16_t code = vbKeyCode(*key);
        std::int16_t shift = vbShift(key->modifiers());
        // The control sees the key first; the part still gets it as usual.
        if (code != 0) picker_.UserControl_KeyDown(code, shift);
    } else if (event->type() == QEvent::FocusOut && watched == edit_) {
        picker_.txtFolder.hasFocus = false;
    } else if (event->type() == QEvent::FocusIn && watched == edit_) {
        picker_.txtFolder.hasFocus = true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace arkstash::gui
