#pragma once

#include <atomic>

// The technician's way out of a wait without limit (for a boot loader's or the
// language receiver's ready sign): the window's close keys and the command
// line's Ctrl-C raise it, and the waiting dialogue takes it after its next
// read. A request is only accepted while a dialogue waits, so it can never
// stop a later step or a later run by surprise; and one accepted is never
// dropped: the wait's end is one atomic step that either finds it (the run is
// called off) or comes first (the request is refused).
class CancelRequest {
 public:
  // Marks the span of one such wait on the dialogue's thread.
  class Wait {
   public:
    explicit Wait(CancelRequest& request) : request_(request) { request_.state_.store(kWaiting); }
    // Ends the wait on a way out that tells no one (an exception).
    ~Wait() {
      if (!ended_) End();
    }
    Wait(const Wait&) = delete;
    Wait& operator=(const Wait&) = delete;

    // Ends the wait: from now on a request is refused. True when one came in
    // that the wait has not taken yet; the dialogue must then call the run
    // off, since the technician was told that it would be.
    bool End() {
      ended_ = true;
      return request_.state_.exchange(kIdle) == kRequested;
    }

   private:
    CancelRequest& request_;
    bool ended_ = false;
  };

  // True when a dialogue is in such a wait and will call the run off; false
  // when none waits (then the caller's own rule applies, such as the close
  // lock).
  bool Raise() {
    int expected = kWaiting;
    return state_.compare_exchange_strong(expected, kRequested) || expected == kRequested;
  }
  bool IsWaiting() const { return state_.load() != kIdle; }
  // True once per request; clears it, and the wait goes on.
  bool Take() {
    int expected = kRequested;
    return state_.compare_exchange_strong(expected, kWaiting);
  }

 private:
  static constexpr int kIdle = 0;
  static constexpr int kWaiting = 1;
  static constexpr int kRequested = 2;
  std::atomic<int> state_{kIdle};
};

// The process-wide request.
extern CancelRequest theCancelRequest;
