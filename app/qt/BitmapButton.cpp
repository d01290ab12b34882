#include "BitmapButton.h"

#include <QPainter>

BitmapButton::BitmapButton(const QPixmap& upFace, const QPixmap& otherFace, QWidget* parent)
    : QAbstractButton(parent), up_(upFace), other_(otherFace.isNull() ? upFace : otherFace) {
  setFixedSize(up_.size());
}

const QPixmap& BitmapButton::CurrentFace() const {
  return isDown() || hasFocus() || !isEnabled() ? other_ : up_;
}

void BitmapButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawPixmap(0, 0, CurrentFace());
}
