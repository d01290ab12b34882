#include "MainWindowView.h"

// Defined out of line so that the interface's vtable lives in one unit.
MainWindowView::~MainWindowView() = default;
