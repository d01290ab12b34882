#include "PortComboBox.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int kListTextRole = Qt::UserRole + 1;

// Draws an entry of the dropped-down list with its list text: the model's
// own text stays the short name, which the closed box and the worker read.
class PortListDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
    QStyledItemDelegate::initStyleOption(option, index);
    const QVariant listText = index.data(kListTextRole);
    if (listText.isValid()) option->text = listText.toString();
  }
};

}  // namespace

PortComboBox::PortComboBox(QWidget* parent) : QComboBox(parent) { setItemDelegate(new PortListDelegate(this)); }

void PortComboBox::AddPort(const QString& name, const QString& listText) {
  addItem(name);
  setItemData(count() - 1, listText, kListTextRole);
}

void PortComboBox::showPopup() {
  emit listOpening();
  // Qt sizes the list by the short names; a port's description would be cut.
  QAbstractItemView* list = view();
  int widest = 0;
  for (int row = 0; row < count(); ++row) {
    widest = std::max(widest, list->sizeHintForIndex(model()->index(row, 0)).width());
  }
  const int scrollBar = count() > maxVisibleItems() ? list->verticalScrollBar()->sizeHint().width() : 0;
  list->setMinimumWidth(widest + 2 * list->frameWidth() + scrollBar);
  QComboBox::showPopup();
}
