#include "platform/forms/DesktopFacts.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QThread>
#include <QWidget>

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
}  // namespace

TDesktopHooks QtDesktopHooks(bool Clipboard) {
  TDesktopHooks H;
  H.ActiveWindow = ActiveWindowFacts;
  H.FocusedControl = FocusedControlFacts;
  if (Clipboard) H.CopyText = CopyToClipboard;
  return H;
}
