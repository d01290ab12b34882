#pragma once

#include <QComboBox>
#include <QString>

// The COM port selector: the entries are the ports' short names, which the
// closed box shows, while the dropped-down list shows each port with what it
// is and is as wide as its longest line. Just before the list drops down it
// tells (listOpening), so that the ports can be looked for again.
class PortComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit PortComboBox(QWidget* parent = nullptr);

  // An entry named `name` that the dropped-down list shows as `listText`.
  void AddPort(const QString& name, const QString& listText);

  void showPopup() override;

 signals:
  void listOpening();
};
