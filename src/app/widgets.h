#pragma once
// Small pieces the windows share: an image control that reports clicks, the pictures of the
// program's own buttons, and turning a key event into the driving window's key handlers.
// UI thread.

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <functional>
#include <optional>

#include "input/controls.h"

namespace ostrel::app {

// An image (or text) that can be clicked: `on_click` for a left click released on it,
// `on_press` for every button pressed on it.
class ImageControl : public QLabel {
  public:
    explicit ImageControl(QWidget* parent) : QLabel(parent) {}
    std::function<void()> on_click;
    std::function<void(Qt::MouseButton)> on_press;

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
};

// A picture for one of the program's own controls: the text on a dark plate.
QPixmap plate(const QString& text, QSize size);

// The driving window's view of a key press: the virtual key with "exactly Shift", and the
// character typed (for the character handler), when there is one.
struct KeyPress {
    std::optional<VirtualKey> key;
    bool shift = false;
    std::optional<char> character;
};
KeyPress key_press(const QKeyEvent& e);

}  // namespace ostrel::app
