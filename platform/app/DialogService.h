#pragma once
// Every dialog goes through one dialog service, as a request it answers. A request is a plain data
// type (what the dialog shows and, once confirmed, what the user chose) derived from
// TDialogRequestOf<itself>; the service has one call, Execute. Adding a dialog is a new request type
// and, in the widget library, a Qt handler for it (RegisterQtDialog in platform/forms/QtDialogs.h):
// neither this interface nor the scripted service changes. No widgets here, so libraries without
// Qt Widgets ask for dialogs too; tests install a TScriptedDialogService, which answers without a
// person.
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "platform/app/AppConsts.h"
#include "platform/app/ModalResult.h"
#include "platform/rtl/SysUtils.h"

// Base of every dialog request.
class TDialogRequest {
public:
  virtual ~TDialogRequest() = default;
  // A copy of the request as its own type (a scripted service keeps what each dialog received).
  virtual std::unique_ptr<TDialogRequest> Clone() const = 0;
  // The request as T, or nullptr when it is another dialog's.
  template <class T>
  T* As() {
    return dynamic_cast<T*>(this);
  }
  template <class T>
  const T* As() const {
    return dynamic_cast<const T*>(this);
  }
};

// A request type derives from TDialogRequestOf<itself> and stays copyable.
template <class T>
class TDialogRequestOf : public TDialogRequest {
public:
  std::unique_ptr<TDialogRequest> Clone() const override {
    return std::make_unique<T>(static_cast<const T&>(*this));
  }
};

class TDialogService {
public:
  virtual ~TDialogService() = default;
  // Shows the dialog Request describes and answers how it was closed. A message dialog answers its
  // button; every other dialog answers mrOk when the user confirmed, Request then holding the choice,
  // and anything else when not (Request may have been changed: callers pass a copy, see ExecuteDialog).
  virtual TModalResult Execute(TDialogRequest& Request) = 0;
};

// The service in use: an installed one, else the default one (the Qt dialogs once the widget
// library has started; before that, a service that cancels every dialog and says so on stderr).
TDialogService& DialogService();
// Installs a service (null: back to the default one); answers the one it replaces.
std::unique_ptr<TDialogService> SetDialogService(std::unique_ptr<TDialogService> Service);
// How the default service is made (null: the cancelling one). The widget library's start-up sets it.
void SetDefaultDialogService(std::function<std::unique_ptr<TDialogService>()> Make);

// Runs Data's dialog on a copy: true when confirmed, Data then holds the answer; false leaves Data
// as it was, whatever the service did.
template <class T>
bool ExecuteDialog(T& Data) {
  T Copy = Data;
  if (DialogService().Execute(Copy) != mrOk) return false;
  Data = std::move(Copy);
  return true;
}

// Installs a service for the life of this object.
class TDialogServiceScope {
public:
  explicit TDialogServiceScope(std::unique_ptr<TDialogService> Service)
      : FPrevious(SetDialogService(std::move(Service))) {}
  ~TDialogServiceScope() { SetDialogService(std::move(FPrevious)); }
  TDialogServiceScope(const TDialogServiceScope&) = delete;
  TDialogServiceScope& operator=(const TDialogServiceScope&) = delete;

private:
  std::unique_ptr<TDialogService> FPrevious;
};

// Answers dialogs from a script, in order, whatever their kind. An answer may change the request (the
// file chosen, the pages, the text typed) and gives the modal result: mrOk confirms, anything else
// cancels (a message dialog takes it as its button). With no answer left every dialog is cancelled.
class TScriptedDialogService : public TDialogService {
public:
  using TAnswer = std::function<TModalResult(TDialogRequest& Request)>;
  // Copies of the requests as the dialogs received them, in order.
  std::vector<std::unique_ptr<TDialogRequest>> Calls;
  std::deque<TAnswer> Answers;

  // The Index-th request, which must be a T (EInvalidOperation otherwise).
  template <class T>
  const T& Call(size_t Index) const {
    const T* R = Index < Calls.size() ? Calls[Index]->template As<T>() : nullptr;
    if (!R) throw EInvalidOperation(Format(SDialogCallType, {Index, typeid(T).name()}));
    return *R;
  }
  template <class T>
  const T& LastCall() const {
    return Call<T>(Calls.empty() ? 0 : Calls.size() - 1);
  }

  // A message dialog's button, or confirm (mrOk) or cancel for any other.
  void Answer(TModalResult Result) {
    Answers.push_back([Result](TDialogRequest&) { return Result; });
  }
  void Cancel() { Answer(mrCancel); }
  // Confirms the next dialog, which must be a T, after Edit changed its data.
  template <class T>
  void Accept(std::function<void(T&)> Edit = nullptr) {
    Answers.push_back([Edit](TDialogRequest& Request) {
      T* R = Request.As<T>();
      if (!R) throw EInvalidOperation(Format(SDialogRequestType, {typeid(T).name()}));
      if (Edit) Edit(*R);
      return mrOk;
    });
  }

  TModalResult Execute(TDialogRequest& Request) override;
};
