#pragma once

#include <string>

// The oven's end of the line: the master side of a pseudo-terminal whose slave
// the programs under test open as their serial port.
class PseudoTerminal {
 public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  bool IsOpen() const { return master_ >= 0; }
  int MasterDescriptor() const { return master_; }
  const std::string& SlavePath() const { return slavePath_; }

  // Bytes that arrived on the slave and were not read yet.
  int UnreadOnSlave() const;
  // Throws them away.
  void DiscardUnreadOnSlave();

  // Closes both ends, as an oven that is switched off: the program on the
  // slave sees the line hang up.
  void Close();

 private:
  int master_ = -1;
  // Held open so that the line does not hang up between two opens of the port.
  int slave_ = -1;
  std::string slavePath_;
};
