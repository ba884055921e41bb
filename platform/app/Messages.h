#pragma once
// Window messages between objects of the program: any message target can be
// posted to (asynchronous, first in first out) or sent to (synchronous).
// A target is addressed by its handle, which outlives the target: messages to a
// handle whose target has been destroyed are dropped.
#include <cstdint>

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using HWND = uint64_t;  // 0 is no target

constexpr uint32_t WM_NULL = 0x0000;
constexpr uint32_t WM_CLOSE = 0x0010;
constexpr uint32_t WM_USER = 0x0400;  // start of the application's private range

struct TMessage {
  uint32_t Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

class TMessageTarget {
public:
  TMessageTarget();
  virtual ~TMessageTarget();
  TMessageTarget(const TMessageTarget&) = delete;
  TMessageTarget& operator=(const TMessageTarget&) = delete;

  HWND Handle() const { return FHandle; }

protected:
  // Receives every message sent or posted to Handle(), on the main thread.
  // The default does nothing and leaves Result 0.
  virtual void WndProc(TMessage& Message);

private:
  friend LRESULT DeliverMessage(HWND, uint32_t, WPARAM, LPARAM);
  HWND FHandle;
};

// Queues the message for Target; it is delivered by the event loop
// (Application->ProcessMessages or HandleMessage) in posting order.
// Returns false when no live target has that handle. Any thread may post.
bool PostMessage(HWND Target, uint32_t Msg, WPARAM WParam, LPARAM LParam);
// Delivers the message before returning and answers its Result; 0 when the
// target is gone. From another thread it waits for the main thread to deliver.
LRESULT SendMessage(HWND Target, uint32_t Msg, WPARAM WParam, LPARAM LParam);
// True while a target with this handle exists.
bool IsWindow(HWND Target);
// The live target with this handle, or null. Main thread only.
TMessageTarget* FindMessageTarget(HWND Target);
