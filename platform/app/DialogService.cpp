#include "platform/app/DialogService.h"

#include <cstdio>
#include <typeinfo>

namespace {
// Without the widget library nobody can be asked: every dialog is cancelled, and said so.
class TNoWindowsDialogService : public TDialogService {
public:
  TModalResult Execute(TDialogRequest& Request) override {
    fprintf(stderr, "Dialog not shown (%s): the program has no windows\n", typeid(Request).name());
    return mrCancel;
  }
};

struct TServices {
  std::unique_ptr<TDialogService> Installed;
  std::unique_ptr<TDialogService> Default;
  std::function<std::unique_ptr<TDialogService>()> MakeDefault;
};

TServices& Services() {
  static TServices S;
  return S;
}
}  // namespace

TDialogService& DialogService() {
  TServices& S = Services();
  if (S.Installed) return *S.Installed;
  if (!S.Default) S.Default = S.MakeDefault ? S.MakeDefault() : std::make_unique<TNoWindowsDialogService>();
  return *S.Default;
}

std::unique_ptr<TDialogService> SetDialogService(std::unique_ptr<TDialogService> Service) {
  auto Old = std::move(Services().Installed);
  Services().Installed = std::move(Service);
  return Old;
}

void SetDefaultDialogService(std::function<std::unique_ptr<TDialogService>()> Make) {
  Services().MakeDefault = std::move(Make);
  Services().Default.reset();
}

TModalResult TScriptedDialogService::Execute(TDialogRequest& Request) {
  Calls.push_back(Request.Clone());  // as the dialog received it
  if (Answers.empty()) return mrCancel;
  TAnswer A = std::move(Answers.front());
  Answers.pop_front();
  return A(Request);
}
