#include "DialogUnits.h"

#include <QFontMetrics>

namespace {
// Rounded a * b / c, as the dialog manager scales.
int ScaleRounded(int a, int b, int c) { return (a * b * 2 + c) / (2 * c); }
}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average width of the 52 Latin letters, rounded.
  const int letters =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseWidth_ = (letters / 26 + 1) / 2;
  baseHeight_ = metrics.height();
}

int DialogUnits::ToPixelsX(int units) const { return ScaleRounded(units, baseWidth_, 4); }
int DialogUnits::ToPixelsY(int units) const { return ScaleRounded(units, baseHeight_, 8); }
QPoint DialogUnits::ToPixels(QPoint units) const {
  return {ToPixelsX(units.x()), ToPixelsY(units.y())};
}
QSize DialogUnits::ToPixels(QSize units) const {
  return {ToPixelsX(units.width()), ToPixelsY(units.height())};
}
QRect DialogUnits::ToPixels(const QRect& units) const {
  return {ToPixels(units.topLeft()), ToPixels(units.size())};
}
