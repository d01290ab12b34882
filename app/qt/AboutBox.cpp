#include "AboutBox.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "DialogUnits.h"

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Quendraflox"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  // A window does not take its parent's font by itself.
  setFont(parent->font());
  const DialogUnits units(font());

  auto* icon = new QLabel(this);
  icon->setPixmap(QIcon(QStringLiteral(":/images/icon-128.png")).pixmap(32, 32));
  icon->move(units.ToPixels(QPoint(11, 17)));
  icon->adjustSize();

  auto* version = new QLabel(QStringLiteral("Quendraflox Version 5.2"), this);
  version->setObjectName(QStringLiteral("versionLine"));
  version->move(units.ToPixels(QPoint(43, 12)));
  version->adjustSize();

  // What the version information of the executable says, from the build.
  auto* fileVersion = new QLabel(QStringLiteral("File version " TESSARAMOND_VERSION), this);
  fileVersion->setObjectName(QStringLiteral("fileVersionLine"));
  fileVersion->move(units.ToPixels(QPoint(43, 28)));
  fileVersion->adjustSize();

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setGeometry(units.ToPixels(QRect(178, 7, 50, 14)));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  setFixedSize(units.ToPixels(QSize(235, 55)));
}
