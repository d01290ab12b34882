#pragma once

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QSize>

// Converts positions given in dialog units into pixels for a font, as the
// window layouts are drawn in dialog units: a horizontal unit is a quarter of
// the font's average character width, a vertical unit an eighth of its height.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);

  int BaseWidth() const { return baseWidth_; }
  int BaseHeight() const { return baseHeight_; }

  int ToPixelsX(int units) const;
  int ToPixelsY(int units) const;
  QPoint ToPixels(QPoint units) const;
  QSize ToPixels(QSize units) const;
  QRect ToPixels(const QRect& units) const;

 private:
  int baseWidth_;
  int baseHeight_;
};
