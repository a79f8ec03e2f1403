#include "gui/control_views.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace arkstash::gui {

namespace {

QString qtext(const std::string& s) {
    return QString::fromStdString(s);
}

template <typename Widget>
Widget* named(Widget* widget, const controls::ControlState& control) {
    widget->setObjectName(qtext(control.name));
    return widget;
}

template <typename Widget>
void showCommon(Widget* widget, const controls::ControlState& control) {
    widget->setEnabled(control.enabled);
    widget->setVisible(control.visible);
}

// The memo box keeps the file's "\r\n"; the editor wants "\n".
QString forEditor(const std::string& s) {
    return qtext(s).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string forBox(const QString& s) {
    QString crlf = s;
    return crlf.replace(QStringLiteral("\n"), QStringLiteral("\r\n")).toStdString();
}

}  // namespace

int typedCharacter(const QKeyEvent& event) {
    switch (event.key()) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Delete:
            return 0;
        default:
            break;
    }
    QString typed = event.text();
    if (!typed.isEmpty() && typed.at(0).unicode() != 0x7F) return typed.at(0).unicode();
    // Ctrl+letter types the letter's control character on some platforms only.
    if ((event.modifiers() & Qt::ControlModifier) && event.key() >= Qt::Key_A &&
        event.key() <= Qt::Key_Z)
        return event.key() - Qt::Key_A + 1;
    return 0;
}

QLabel* makeLabel(controls::Label& label, QWidget* parent) {
    auto* widget = named(new QLabel(parent), label);
    widget->setTextFormat(Qt::PlainText);
    present(widget, label);
    return widget;
}

QCheckBox* makeCheckBox(controls::CheckBox& box, QWidget* parent) {
    auto* widget = named(new QCheckBox(qtext(box.caption), parent), box);
    // The box flips its own state and tells its handler; the view then shows the outcome.
    QObject::connect(widget, &QCheckBox::clicked, widget, [&box] { box.click(); });
    present(widget, box);
    return widget;
}

QPushButton* makeButton(controls::Button& button, QWidget* parent) {
    auto* widget = named(new QPushButton(qtext(button.caption), parent), button);
    QObject::connect(widget, &QPushButton::clicked, widget, [&button] { button.click(); });
    present(widget, button);
    return widget;
}

QGroupBox* makeFrame(controls::Frame& frame, QWidget* parent) {
    auto* widget = named(new QGroupBox(qtext(frame.caption), parent), frame);
    present(widget, frame);
    return widget;
}

QComboBox* makeComboBox(controls::ComboBox& list, QWidget* parent) {
    auto* widget = named(new QComboBox(parent), list);
    QObject::connect(widget, &QComboBox::activated, widget,
                     [&list](int index) { list.pick(static_cast<std::size_t>(index)); });
    present(widget, list);
    return widget;
}

void present(QLabel* widget, const controls::Label& label) {
    if (widget->text() != qtext(label.caption())) widget->setText(qtext(label.caption()));
    if (widget->font().bold() != label.bold) {
        QFont font = widget->font();
        font.setBold(label.bold);
        widget->setFont(font);
    }
    showCommon(widget, label);
}

void present(QCheckBox* widget, const controls::CheckBox& box) {
    widget->setChecked(box.isChecked());
    showCommon(widget, box);
}

void present(QPushButton* widget, const controls::Button& button) {
    showCommon(widget, button);
}

void present(QGroupBox* widget, const controls::Frame& frame) {
    showCommon(widget, frame);
}

void present(QComboBox* widget, const controls::ComboBox& list) {
    if (widget->count() != static_cast<int>(list.choices.size())) {
        widget->clear();
        for (const auto& choice : list.choices)
            widget->addItem(qtext(choice.text), QVariant::fromValue<qlonglong>(choice.data));
    }
    // A text none of the choices has (a stored value from elsewhere) still shows.
    auto selected = list.selectedIndex();
    widget->setCurrentIndex(selected ? static_cast<int>(*selected) : -1);
    widget->setPlaceholderText(qtext(list.text()));
    showCommon(widget, list);
}

LineBox::LineBox(controls::TextBox& box, QWidget* parent) : QLineEdit(parent), box_(box) {
    setObjectName(qtext(box.name));
    if (box.concealed) {
        // Never shown, never copied out.
        setEchoMode(QLineEdit::Password);
        setContextMenuPolicy(Qt::NoContextMenu);
    }
    connect(this, &QLineEdit::textEdited, this,
            [this](const QString& now) { box_.setText(now.toStdString()); });
    showState();
}

void LineBox::showState() {
    if (text() != QString::fromStdString(box_.text())) setText(QString::fromStdString(box_.text()));
    setReadOnly(box_.locked);
    setEnabled(box_.enabled);
    setVisible(box_.visible);
    if (box_.hasFocus && !hasFocus()) setFocus();
}

void LineBox::focusInEvent(QFocusEvent* event) {
    box_.hasFocus = true;
    QLineEdit::focusInEvent(event);
}

void LineBox::focusOutEvent(QFocusEvent* event) {
    box_.hasFocus = false;
    QLineEdit::focusOutEvent(event);
}

void LineBox::keyPressEvent(QKeyEvent* event) {
    int key = typedCharacter(*event);
    if (key >= 32 && box_.keyPressed && box_.keyPressed(key) == 0) {
        event->accept();  // swallowed by the box's handler
        return;
    }
    QLineEdit::keyPressEvent(event);
}

MemoBox::MemoBox(controls::TextBox& box, QWidget* parent) : QPlainTextEdit(parent), box_(box) {
    setObjectName(qtext(box.name));
    setTabChangesFocus(true);
    showState();
}

void MemoBox::showState() {
    QString wanted = forEditor(box_.text());
    if (toPlainText() != wanted) {
        setPlainText(wanted);
        moveCursor(QTextCursor::End);
    }
    setReadOnly(box_.locked);
    setEnabled(box_.enabled);
    setVisible(box_.visible);
}

void MemoBox::keyPressEvent(QKeyEvent* event) {
    QPlainTextEdit::keyPressEvent(event);
    std::string now = forBox(toPlainText());
    if (now != box_.text()) box_.setText(now);
    if (int key = typedCharacter(*event); key != 0 && box_.keyTyped) box_.keyTyped(key);
}

}  // namespace arkstash::gui
