#pragma once

// How one of the oven's dialogues with the PC ended.
enum class DialogueEnd {
  Completed,
  // The oven played a fault it was told to.
  Fault,
  // The PC broke the protocol.
  ProtocolError,
  // SIGINT or SIGTERM.
  Stopped,
  // The oven closed the line.
  HungUp,
  // An update request came while the oven sent a ready sign: the PC began
  // a new run, and the request is consumed.
  NewRun,
  // The PC went quiet where it may end its run.
  Abandoned,
};
