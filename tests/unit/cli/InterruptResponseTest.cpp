// Ctrl-C of `update`: what it does at each moment of a run.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <string_view>

#include "CancelRace.h"
#include "CancelRequest.h"
#include "ControlId.h"
#include "FirmwareImages.h"
#include "InterruptResponse.h"
#include "OperatingModuleProgramming.h"
#include "RecordingPauses.h"
#include "RecordingWindow.h"
#include "ScriptedLine.h"

namespace {

TEST(InterruptResponseTest, CallsOffAWaitOtherwiseTheCloseLockDecidesAndTheNoteSaysWhich) {
  CancelRequest cancel;
  bool lockOn = true;
  const auto respond = [&] { return RespondToInterrupt(cancel, [&] { return lockOn; }); };
  EXPECT_EQ(respond(), InterruptResponse::Refused);
  lockOn = false;
  EXPECT_EQ(respond(), InterruptResponse::EndsProgram);
  {
    CancelRequest::Wait wait(cancel);
    EXPECT_EQ(respond(), InterruptResponse::RunCalledOff);
    EXPECT_TRUE(wait.End());
  }
  EXPECT_EQ(respond(), InterruptResponse::EndsProgram);

  const std::set<std::string_view> notes{InterruptNote(InterruptResponse::RunCalledOff),
                                         InterruptNote(InterruptResponse::Refused),
                                         InterruptNote(InterruptResponse::EndsProgram)};
  EXPECT_EQ(notes.size(), 3u);
}

TEST(InterruptResponseTest, CtrlCAsTheReadySignArrivesCallsTheRunOffOrIsRefusedNeverDropped) {
  bmImage.Fill(0xFF);
  bmFileLoaded = true;
  CancelRequest cancel;
  RecordingPauses pauses;
  std::atomic<bool> closeLockOn{false};
  const auto rounds = RaceCancelAgainstReadySign(
      [&] {
        return RespondToInterrupt(cancel, [&] { return closeLockOn.load(); }) == InterruptResponse::RunCalledOff;
      },
      [&](const std::function<void()>& signArriving) {
        ScriptedLine line;
        line.Answer("#");  // then no start sign: the run fails unless called off
        line.onByteRead = [&signArriving](std::uint8_t) { signArriving(); };
        RecordingWindow window;
        window.onEnableControl = [&closeLockOn](int id, bool enabled) {
          if (id == ControlId::kCancel) closeLockOn.store(!enabled);
        };
        return ProgramBM(ProgrammingContext{window, [&line] { return line.MakePort(); }, pauses, cancel});
      });
  ExpectEachKeptOrRefused(rounds);
}

}  // namespace
