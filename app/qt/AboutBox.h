#pragma once

#include <QDialog>

// "About Quendraflox": the application icon, the version line and OK.
class AboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit AboutBox(QWidget* parent);
};
