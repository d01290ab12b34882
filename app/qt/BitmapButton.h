#pragma once

#include <QAbstractButton>
#include <QPixmap>

// A push button drawn entirely from bitmaps and sized to them: one face when
// up, another when pressed, focused or disabled.
class BitmapButton : public QAbstractButton {
  Q_OBJECT
 public:
  BitmapButton(const QPixmap& upFace, const QPixmap& otherFace, QWidget* parent);

  QSize sizeHint() const override { return up_.size(); }

  // Which face a paint would show now; the window tests read it.
  const QPixmap& CurrentFace() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QPixmap up_;
  QPixmap other_;
};
