#pragma once

#include <functional>
#include <string_view>

class CancelRequest;
class ConsoleWindow;

// What a Ctrl-C does to `update`, by the window's rule for its close keys.
enum class InterruptResponse {
  RunCalledOff,  // a dialogue waits for a ready sign: it calls the run off
  Refused,       // a module is being programmed: it must not be left half done
  EndsProgram,   // nothing to protect: the program ends at once
};

// Raises the cancel request; when no wait accepts it, the close lock decides.
InterruptResponse RespondToInterrupt(CancelRequest& request, const std::function<bool()>& isCloseLockOn);

// Answers one Ctrl-C of a run shown on `console`: `act` gets the response
// while the close lock is held as it was decided on, so that a run cannot
// begin to program between a decision to end the program and its end in `act`.
void AnswerInterrupt(CancelRequest& request, ConsoleWindow& console,
                     const std::function<void(InterruptResponse)>& act);

// The line the command line prints for the response.
std::string_view InterruptNote(InterruptResponse response);
