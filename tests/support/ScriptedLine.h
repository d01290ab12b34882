#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SerialPort.h"
#include "SerialPortBackend.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The far end of every port a run opens, as a test scripts it: each write is
// kept as it was made, and reads are served from a script, where nullopt is a
// read that brings nothing. Reads beyond the script bring nothing too.
struct ScriptedLine {
  std::vector<Bytes> writes;
  std::deque<std::optional<std::uint8_t>> reads;
  std::vector<std::string> opens;  // the port names, in order
  int openPorts = 0;               // held at this moment
  bool failOpen = false;
  bool hangUpAfterScript = false;  // reads beyond the script find the line gone
  int failOpenNumber = -1;   // fail the open with this index (0 = first)
  int failWriteNumber = -1;  // fail the write with this index
  // Called for every read that brings nothing; its count so far as argument.
  std::function<void(int)> onEmptyRead;
  // Called within every read that brings a byte, with the byte.
  std::function<void(std::uint8_t)> onByteRead;
  int emptyReads = 0;

  void Answer(const std::string& text) {
    for (char c : text) reads.push_back(static_cast<std::uint8_t>(c));
  }
  void Silence() { reads.push_back(std::nullopt); }

  std::unique_ptr<SerialPort> MakePort();
};

class ScriptedBackend : public SerialPortBackend {
 public:
  static constexpr int kEndlessWait = 100000;

  explicit ScriptedBackend(ScriptedLine& line) : line_(line) {}
  ~ScriptedBackend() override { Close(); }

  bool Open(const std::string& portName, std::uint32_t, int& osError) override {
    const int number = static_cast<int>(line_.opens.size());
    line_.opens.push_back(portName);
    if (line_.failOpen || number == line_.failOpenNumber) {
      osError = 2;
      return false;
    }
    open_ = true;
    ++line_.openPorts;
    return true;
  }
  bool Close() override {
    if (!open_) return false;
    open_ = false;
    --line_.openPorts;
    return true;
  }
  bool IsOpen() const override { return open_; }
  bool IsLineDown() const override { return lineDown_; }
  bool ReadOne(std::uint8_t& destination) override {
    lineDown_ = false;
    if (!open_) return false;
    std::optional<std::uint8_t> next;
    if (!line_.reads.empty()) {
      next = line_.reads.front();
      line_.reads.pop_front();
    }
    if (next) {
      if (line_.onByteRead) line_.onByteRead(*next);
      destination = *next;
      return true;
    }
    if (line_.hangUpAfterScript) {
      lineDown_ = true;
      return false;
    }
    ++line_.emptyReads;
    if (line_.onEmptyRead) line_.onEmptyRead(line_.emptyReads);
    if (line_.emptyReads > kEndlessWait) {
      // A wait without limit that the script never ends would hang the suite.
      ADD_FAILURE() << "the run waits for a byte the script never sends";
      std::abort();
    }
    return false;
  }
  bool WriteAll(const std::uint8_t* data, std::size_t length) override {
    if (!open_) return false;
    if (static_cast<int>(line_.writes.size()) == line_.failWriteNumber) {
      line_.writes.push_back({});  // counted, but nothing went out
      return false;
    }
    line_.writes.emplace_back(data, data + length);
    return true;
  }
  bool WaitTransmitEmpty(std::size_t) override { return open_; }
  bool PurgeTx() override { return open_; }
  bool PurgeRx() override { return open_; }
  bool SetEventMask(std::uint32_t) override { return open_; }
  bool SetTimeouts(const Timeouts&) override { return open_; }
  bool SetRts() override { return open_; }
  bool ClearRts() override { return open_; }
  bool SetDtr() override { return open_; }

 private:
  ScriptedLine& line_;
  bool open_ = false;
  bool lineDown_ = false;
};

inline std::unique_ptr<SerialPort> ScriptedLine::MakePort() {
  return std::make_unique<SerialPort>(std::make_unique<ScriptedBackend>(*this));
}
