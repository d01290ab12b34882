#pragma once

#include <QApplication>
#include <QListWidget>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

#include "ControlId.h"
#include "MainWindow.h"

// The message list's lines, top to bottom.
inline QStringList Lines(const MainWindow& window) {
  auto* list = qobject_cast<QListWidget*>(window.Control(ControlId::kMessageList));
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
