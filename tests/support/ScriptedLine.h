#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CancelRequest.h"
#include "Pauses.h"
#include "ProgrammingContext.h"
#include "RecordingWindow.h"
#include "SerialPort.h"
#include "SerialPortBackend.h"

using Bytes = std::vector<std::uint8_t>;

// The far end of every port a run opens, as a test scripts it. Reads are
// served from `reads`, where nullopt is a read that brings nothing, as is a
// read beyond them: the answers, which come while the run waits for them.
// What the far end sent before the run looked waits in the port's input, and
// a purge drops it, as on a real port: `waitingAtOpen` is there when the port
// is opened the n-th time (0 = first), `arrivingAfterWrite` once write n is
// over. Each write is kept as it was made.
struct ScriptedLine {
  std::vector<Bytes> writes;
  std::deque<std::optional<std::uint8_t>> reads;
  std::map<int, std::string> waitingAtOpen;
  std::map<int, std::string> arrivingAfterWrite;
  std::vector<std::string> opens;  // the port names, in order
  int openPorts = 0;               // held at this moment
  bool hangUpAfterScript = false;  // reads beyond the script find the line gone
  int failOpenNumber = -1;         // fail the open with this index
  int failWriteNumber = -1;        // fail the write with this index
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
    // No port has an empty name.
    if (portName.empty() || number == line_.failOpenNumber) {
      osError = 2;
      return false;
    }
    open_ = true;
    ++line_.openPorts;
    if (const auto waiting = line_.waitingAtOpen.find(number); waiting != line_.waitingAtOpen.end()) {
      input_.assign(waiting->second.begin(), waiting->second.end());
    }
    return true;
  }
  bool Close() override {
    if (!open_) return false;
    open_ = false;
    input_.clear();
    --line_.openPorts;
    return true;
  }
  bool IsOpen() const override { return open_; }
  bool IsLineDown() const override { return lineDown_; }
  bool ReadOne(std::uint8_t& destination) override {
    lineDown_ = false;
    if (!open_) return false;
    std::optional<std::uint8_t> next;
    if (!input_.empty()) {
      next = input_.front();
      input_.pop_front();
    } else if (!line_.reads.empty()) {
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
    const int number = static_cast<int>(line_.writes.size());
    if (number == line_.failWriteNumber) {
      line_.writes.push_back({});  // counted, but nothing went out
      return false;
    }
    line_.writes.emplace_back(data, data + length);
    if (const auto after = line_.arrivingAfterWrite.find(number); after != line_.arrivingAfterWrite.end()) {
      afterWrite_ = after->second;
    }
    return true;
  }
  bool WaitTransmitEmpty(std::size_t) override { return open_; }
  bool PurgeTx() override { return open_; }
  // A write ends with this purge: what comes after the write lands behind it.
  bool PurgeRx() override {
    input_.assign(afterWrite_.begin(), afterWrite_.end());
    afterWrite_.clear();
    return open_;
  }
  bool SetEventMask(std::uint32_t) override { return open_; }
  bool SetTimeouts(const Timeouts&) override { return open_; }
  bool SetRts() override { return open_; }
  bool ClearRts() override { return open_; }
  bool SetDtr() override { return open_; }

 private:
  ScriptedLine& line_;
  bool open_ = false;
  bool lineDown_ = false;
  std::deque<std::uint8_t> input_;  // arrived, neither read nor purged
  std::string afterWrite_;
};

inline std::unique_ptr<SerialPort> ScriptedLine::MakePort() {
  return std::make_unique<SerialPort>(std::make_unique<ScriptedBackend>(*this));
}

// Notes each pause and returns at once.
class RecordingPauses : public Pauses {
 public:
  void Pause(std::chrono::milliseconds duration) override { pauses.push_back(duration); }
  std::vector<std::chrono::milliseconds> pauses;
};

// What a run reaches, scripted: the line, the window (which tells a control
// enabled while a port is held), instant pauses and a cancel request of its
// own.
struct ScriptedRun {
  ScriptedRun() {
    window.portHeld = [this] { return line.openPorts != 0; };
  }
  ScriptedRun(const ScriptedRun&) = delete;
  ScriptedRun& operator=(const ScriptedRun&) = delete;

  ProgrammingContext Context() {
    return {window, [this] { return line.MakePort(); }, pauses, cancel};
  }

  ScriptedLine line;
  RecordingWindow window;
  RecordingPauses pauses;
  CancelRequest cancel;
};
