#pragma once

// The simulator's account of the dialogue, on stderr. Protocol errors are the
// PC's mistakes; their count decides the exit status.
class SimulatorLog {
 public:
  void Note(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void ProtocolError(const char* format, ...) __attribute__((format(printf, 2, 3)));
  int ProtocolErrors() const { return protocolErrors_; }

 private:
  int protocolErrors_ = 0;
};
