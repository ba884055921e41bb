#pragma once
// Running the library's dialogs with their real forms in tests: a dialog service
// that shows them (the Qt service cancels every dialog without a display) and
// answers every other dialog from its script, and a script of user steps that
// run one at a time from the event loop, so that a step that opens a page or a
// dialog leaves the next steps to run inside its loop.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>

#include <QTimer>

#include "lxreport/LXExprDialogs.h"
#include "lxreport/forms/LXEnvEditor.h"
#include "lxreport/forms/LXExprBuilder.h"
#include "lxreport/forms/LXTextEditorForms.h"
#include "platform/forms/Forms.h"

class TFormsDialogService : public TScriptedDialogService {
public:
  TModalResult Execute(TDialogRequest& Request) override {
    if (auto* E = Request.As<TLXExpressionRequest>()) {
      Calls.push_back(Request.Clone());
      return ShowExpressionBuilder(*E);
    }
    if (auto* E = Request.As<TLXEnvironmentRequest>()) {
      Calls.push_back(Request.Clone());
      return ShowEnvironmentEditor(*E);
    }
    if (auto* E = Request.As<TLXTextSettingsRequest>()) {
      Calls.push_back(Request.Clone());
      return ShowTextSettings(*E);
    }
    return TScriptedDialogService::Execute(Request);
  }
};

class TUserSteps {
public:
  using TStep = std::function<void()>;
  TUserSteps(std::initializer_list<TStep> Steps) : FState(std::make_shared<TState>()) {
    FState->Steps.assign(Steps);
    Next(FState);
  }
  // Steps not run by then are dropped.
  ~TUserSteps() { FState->Steps.clear(); }
  bool Done() const { return FState->Steps.empty(); }
  // Called by a step that finds the windows not yet as the previous step left them (a form
  // closing is finished by its loop, which a busy machine may not have reached): run it again.
  static void Again() { RetryStep() = true; }

private:
  struct TState {
    std::deque<TStep> Steps;
  };
  static void Next(std::shared_ptr<TState> State) {
    // A real timer, not a zero one: Qt turns those into posted events, which may run before
    // the loop that a step ended has looked at its answer.
    QTimer::singleShot(1, [State] {
      if (State->Steps.empty()) return;
      TStep S = std::move(State->Steps.front());
      State->Steps.pop_front();
      if (!State->Steps.empty()) Next(State);
      RetryStep() = false;
      S();
      if (RetryStep()) {
        RetryStep() = false;
        State->Steps.push_front(std::move(S));
        if (State->Steps.size() == 1) Next(State);
      }
    });
  }
  static bool& RetryStep() {
    static bool Retry = false;
    return Retry;
  }
  std::shared_ptr<TState> FState;
};

// The form of that class made last and still there (a nested builder is the last one).
template <class T>
T* LastForm() {
  for (int I = Screen().FormCount() - 1; I >= 0; --I)
    if (auto* F = dynamic_cast<T*>(Screen().Forms(I))) return F;
  return nullptr;
}
