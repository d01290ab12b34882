#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

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
