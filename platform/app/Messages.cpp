#include "platform/app/Messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <atomic>
#include <mutex>
#include <unordered_map>

#include "platform/app/MessageDispatch.h"

namespace {
const QEvent::Type PostedMessageEvent = static_cast<QEvent::Type>(QEvent::User + 0x400);

struct TPostedMessage : QEvent {
  TPostedMessage(HWND T, uint32_t M, WPARAM W, LPARAM L)
      : QEvent(PostedMessageEvent), Target(T), Msg(M), WParam(W), LParam(L) {}
  HWND Target;
  uint32_t Msg;
  WPARAM WParam;
  LPARAM LParam;
};

// ThreadSanitizer does not see the lock inside Qt's event queue (Qt is built
// without it): the hand-over of a message posted from another thread is
// declared to it, so that it does not take the message's fields for a race.
#if defined(__SANITIZE_THREAD__)
extern "C" void __tsan_acquire(void* Addr);
extern "C" void __tsan_release(void* Addr);
#define MOR_TSAN_RELEASE(P) __tsan_release(P)
#define MOR_TSAN_ACQUIRE(P) __tsan_acquire(P)
#else
#define MOR_TSAN_RELEASE(P) ((void)(P))
#define MOR_TSAN_ACQUIRE(P) ((void)(P))
#endif

// Lives on the main thread; posted messages travel to it through Qt's queue,
// which keeps posting order.
class TDispatcher : public QObject {
public:
  using QObject::QObject;
  bool event(QEvent* E) override {
    MOR_TSAN_ACQUIRE(E);
    if (E->type() != PostedMessageEvent) return QObject::event(E);
    auto* P = static_cast<TPostedMessage*>(E);
    DeliverMessage(P->Target, P->Msg, P->WParam, P->LParam);
    return true;
  }
};

std::mutex RegistryLock;
std::unordered_map<HWND, TMessageTarget*> Targets;
std::atomic<HWND> NextHandle{1};
QPointer<TDispatcher> Dispatcher;

bool OnMainThread() {
  auto* App = QCoreApplication::instance();
  return !App || QThread::currentThread() == App->thread();
}
}  // namespace

void CreateMessageDispatcher() {
  std::lock_guard<std::mutex> G(RegistryLock);
  if (!Dispatcher && QCoreApplication::instance())
    Dispatcher = new TDispatcher(QCoreApplication::instance());
}

void FreeMessageDispatcher() {
  std::lock_guard<std::mutex> G(RegistryLock);
  delete Dispatcher.data();
}

TMessageTarget::TMessageTarget() : FHandle(NextHandle++) {
  std::lock_guard<std::mutex> G(RegistryLock);
  Targets[FHandle] = this;
}

TMessageTarget::~TMessageTarget() {
  std::lock_guard<std::mutex> G(RegistryLock);
  Targets.erase(FHandle);
}

void TMessageTarget::WndProc(TMessage&) {}

LRESULT DeliverMessage(HWND Target, uint32_t Msg, WPARAM WParam, LPARAM LParam) {
  TMessageTarget* T = nullptr;
  {
    std::lock_guard<std::mutex> G(RegistryLock);
    auto It = Targets.find(Target);
    if (It != Targets.end()) T = It->second;
  }
  if (!T) return 0;
  TMessage M{Msg, WParam, LParam, 0};
  T->WndProc(M);
  return M.Result;
}

bool PostMessage(HWND Target, uint32_t Msg, WPARAM WParam, LPARAM LParam) {
  if (!IsWindow(Target)) return false;
  if (!Dispatcher && OnMainThread()) CreateMessageDispatcher();
  QObject* D;
  {
    std::lock_guard<std::mutex> G(RegistryLock);
    D = Dispatcher.data();
  }
  if (!D) return false;
  auto* Posted = new TPostedMessage(Target, Msg, WParam, LParam);
  MOR_TSAN_RELEASE(Posted);
  QCoreApplication::postEvent(D, Posted);
  return true;
}

LRESULT SendMessage(HWND Target, uint32_t Msg, WPARAM WParam, LPARAM LParam) {
  if (OnMainThread()) return DeliverMessage(Target, Msg, WParam, LParam);
  QObject* D;
  {
    std::lock_guard<std::mutex> G(RegistryLock);
    D = Dispatcher.data();
  }
  if (!D) return 0;
  LRESULT R = 0;
  QMetaObject::invokeMethod(
      D, [&] { R = DeliverMessage(Target, Msg, WParam, LParam); }, Qt::BlockingQueuedConnection);
  return R;
}

bool IsWindow(HWND Target) {
  std::lock_guard<std::mutex> G(RegistryLock);
  return Targets.count(Target) != 0;
}

TMessageTarget* FindMessageTarget(HWND Target) {
  std::lock_guard<std::mutex> G(RegistryLock);
  auto It = Targets.find(Target);
  return It == Targets.end() ? nullptr : It->second;
}
