#include "app/widgets.h"

#include "view/qt/driving_scene.h"

#include <QPainter>

namespace ostrel::app {

void ImageControl::mousePressEvent(QMouseEvent* e) {
    if (on_press) on_press(e->button());
    QLabel::mousePressEvent(e);
}

void ImageControl::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && on_click)
        on_click();
    else
        QLabel::mouseReleaseEvent(e);
}

QPixmap plate(const QString& text, QSize size) {
    QPixmap p(size);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    draw_plate(painter, QRect(QPoint(0, 0), size), text);
    return p;
}

KeyPress key_press(const QKeyEvent& e) {
    KeyPress k;
    const int key = e.key();
    if (key == Qt::Key_Backspace) {
        k.key = VirtualKey::Backspace;
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        k.key = VirtualKey::Enter;
    } else if (key == Qt::Key_ScrollLock) {
        k.key = VirtualKey::ScrollLock;
    } else if (key >= Qt::Key_F1 && key <= Qt::Key_F12) {
        k.key = static_cast<VirtualKey>(static_cast<int>(VirtualKey::F1) + (key - Qt::Key_F1));
    }
    // The keypad marks its keys; what counts is that Shift is the only modifier held.
    k.shift = (e.modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
    const QString text = e.text();
    if (text.size() == 1 && text[0].unicode() < 128)
        k.character = static_cast<char>(text[0].unicode());
    return k;
}

}  // namespace ostrel::app
