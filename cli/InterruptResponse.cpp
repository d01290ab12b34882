#include "InterruptResponse.h"

#include "CancelRequest.h"
#include "ConsoleWindow.h"

InterruptResponse RespondToInterrupt(CancelRequest& request, const std::function<bool()>& isCloseLockOn) {
  // An accepted request is never dropped (CancelRequest), so "called off"
  // is a promise the run keeps.
  if (request.Raise()) return InterruptResponse::RunCalledOff;
  // The lock is read after the refusal: a dialogue that has just left its
  // wait may be about to put it on.
  return isCloseLockOn() ? InterruptResponse::Refused : InterruptResponse::EndsProgram;
}

void AnswerInterrupt(CancelRequest& request, ConsoleWindow& console,
                     const std::function<void(InterruptResponse)>& act) {
  console.DecideOnCloseLock(
      [&](bool closeLockOn) { act(RespondToInterrupt(request, [closeLockOn] { return closeLockOn; })); });
}

std::string_view InterruptNote(InterruptResponse response) {
  switch (response) {
    case InterruptResponse::RunCalledOff:
      return "cancel accepted: the run is called off after the current read";
    case InterruptResponse::Refused:
      return "cancel refused: programming is in progress and must not be interrupted";
    case InterruptResponse::EndsProgram:
      break;
  }
  return "cancelled";
}
