#pragma once

#include <atomic>

// The technician's way out of a wait without limit (for a boot loader's or the
// language receiver's ready sign): the window's close keys and the command
// line's Ctrl-C raise it, and the waiting dialogue takes it after its next
// read. A request is only taken while a dialogue waits, so it can never stop
// a later step or a later run by surprise.
class CancelRequest {
 public:
  // Marks the span of one such wait on the dialogue's thread; a request not
  // taken by its end is dropped.
  class Wait {
   public:
    explicit Wait(CancelRequest& request) : request_(request) { request_.state_.store(kWaiting); }
    ~Wait() { request_.state_.store(kIdle); }
    Wait(const Wait&) = delete;
    Wait& operator=(const Wait&) = delete;

   private:
    CancelRequest& request_;
  };

  // True when a dialogue is in such a wait and now has the request; false
  // when none waits (then the caller's own rule applies, such as the close
  // lock).
  bool Raise() {
    int expected = kWaiting;
    return state_.compare_exchange_strong(expected, kRequested) || expected == kRequested;
  }
  bool IsWaiting() const { return state_.load() != kIdle; }
  // True once per request; clears it.
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
