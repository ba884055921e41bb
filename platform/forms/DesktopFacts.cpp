#include "platform/forms/DesktopFacts.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QThread>
#include <QWidget>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>

#include "platform/forms/Forms.h"

namespace {
// Widgets belong to the thread that runs the application; anywhere else they are not touched.
bool OnWidgetThread() { return QCoreApplication::instance() && QThread::currentThread() == qApp->thread(); }

// The deepest control under Root whose widget is W or holds it.
TControl* ControlOfWidget(TControl* Root, QWidget* W) {
  if (!Root || !Root->Widget() || (Root->Widget() != W && !Root->Widget()->isAncestorOf(W))) return nullptr;
  if (auto* Parent = dynamic_cast<TWinControl*>(Root))
    for (int I = 0; I < Parent->ControlCount(); ++I)
      if (TControl* Inner = ControlOfWidget(Parent->Controls(I), W)) return Inner;
  return Root;
}

std::optional<TWindowFacts> ActiveWindowFacts() {
  if (!OnWidgetThread()) return std::nullopt;
  if (TForm* F = Screen().ActiveForm()) return TWindowFacts{F->ClassName(), F->Caption()};
  if (QWidget* W = QApplication::activeWindow())
    return TWindowFacts{W->metaObject()->className(), W->windowTitle().toStdString()};
  return std::nullopt;
}

std::optional<TWindowFacts> FocusedControlFacts() {
  if (!OnWidgetThread()) return std::nullopt;
  QWidget* W = QApplication::focusWidget();
  if (!W) return std::nullopt;
  TWindowFacts R;
  auto* Line = qobject_cast<QLineEdit*>(W);
  TControl* C = nullptr;
  for (int I = 0; I < Screen().FormCount() && !C; ++I) C = ControlOfWidget(Screen().Forms(I), W);
  if (C) {
    R.ClassName = C->ClassName();
    R.Text = C->Text();
  } else {
    R.ClassName = W->metaObject()->className();
    R.Text = Line ? Line->text().toStdString() : W->windowTitle().toStdString();
  }
  if (Line && Line->echoMode() != QLineEdit::Normal) R.Text = std::string(static_cast<size_t>(Line->text().size()), '*');
  return R;
}

bool CopyToClipboard(const std::string& Text) {
  if (!OnWidgetThread()) return false;
  QClipboard* Clip = QGuiApplication::clipboard();
  if (!Clip) return false;
  Clip->setText(QString::fromStdString(Text));
  return true;
}
// The call is posted to the application's event loop; a call not taken in time is cancelled, so it
// never runs after its caller has given up on it.
bool PostToWidgetThread(const std::function<void()>& Call, int TimeoutMs) {
  QCoreApplication* App = QCoreApplication::instance();
  if (!App) return false;
  if (OnWidgetThread()) {
    Call();
    return true;
  }
  struct TState {
    std::mutex Lock;
    std::condition_variable Changed;
    bool Taken = false, Done = false, Cancelled = false;
    std::exception_ptr Error;
  };
  auto S = std::make_shared<TState>();
  const std::function<void()>* C = &Call;  // lives while the caller waits, which it does once taken
  QMetaObject::invokeMethod(
      App,
      [S, C] {
        {
          std::lock_guard<std::mutex> L(S->Lock);
          if (S->Cancelled) return;
          S->Taken = true;
        }
        std::exception_ptr Error;
        try {
          (*C)();
        } catch (...) {
          Error = std::current_exception();
        }
        std::lock_guard<std::mutex> L(S->Lock);
        S->Error = Error;
        S->Done = true;
        S->Changed.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock<std::mutex> L(S->Lock);
  if (!S->Changed.wait_for(L, std::chrono::milliseconds(TimeoutMs), [&S] { return S->Taken; })) {
    S->Cancelled = true;
    return false;
  }
  S->Changed.wait(L, [&S] { return S->Done; });
  if (S->Error) std::rethrow_exception(S->Error);
  return true;
}

bool PostCall(std::function<void()> Call) {
  QCoreApplication* App = QCoreApplication::instance();
  if (!App) return false;
  QMetaObject::invokeMethod(App, std::move(Call), Qt::QueuedConnection);
  return true;
}

// Windows repaint and posted calls run; user input is held back until the loop runs freely again.
void PumpPaint() {
  if (OnWidgetThread()) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
}  // namespace

TDesktopHooks QtDesktopHooks(bool Clipboard) {
  TDesktopHooks H;
  H.ActiveWindow = ActiveWindowFacts;
  H.FocusedControl = FocusedControlFacts;
  if (Clipboard) H.CopyText = CopyToClipboard;
  H.RunOnWindowThread = PostToWidgetThread;
  H.PumpPaintMessages = PumpPaint;
  H.PostToWindowThread = PostCall;
  return H;
}
