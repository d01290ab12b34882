#include "RunEvents.h"

// Defined out of line so that the interface's vtable lives in one unit.
RunEvents::~RunEvents() = default;

RunEvents& NoRunEvents() {
  static RunEvents none;
  return none;
}
