#pragma once

#include <QApplication>
#include <QListWidget>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

#include "ControlId.h"
#include "MainWindow.h"
#include "QtMainWindowView.h"

// The Qt window with its behaviour, initialised as the program's start-up
// does it but without the modal run, so a test can drive it.
struct QtWindow {
  explicit QtWindow(MainWindowSettings settings) : window(view, std::move(settings)) {
    view.Attach(window);
    window.Initialise();
  }
  QtMainWindowView view;
  MainWindow window;
};

// The message list's lines, top to bottom.
inline QStringList Lines(const QtMainWindowView& view) {
  auto* list = qobject_cast<QListWidget*>(view.Control(ControlId::kMessageList));
  QStringList lines;
  for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
  return lines;
}

// Runs a check on the next modal box that opens, then closes it.
inline void OnNextModal(std::function<void(QWidget*)> check) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, check] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      check(modal);
      modal->close();
    }
  });
  timer->start();
}
