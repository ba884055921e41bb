#pragma once
// Scope guards: the one way to undo state on the way out of a scope (what try/finally does elsewhere).
//
//   TRestore Busy(FBusy, true);           // sets FBusy, puts the old value back on every exit
//   TUpdateScope Update(*Lines);          // Lines->BeginUpdate() now, EndUpdate() on every exit
//   TFinally Close([&] { File.Close(); }); // runs on every exit
//   TOnException Undo([&] { delete Made; }); // runs only when the scope is left by an exception
//
// A cleanup that throws while the scope is being left by another exception cannot propagate (two
// exceptions in flight end the program), so its exception is dropped and the first failure is the one
// the caller sees. On a normal exit a throwing cleanup propagates as any statement would: EndUpdate
// firing a change event that fails is reported, not lost.
#include <exception>
#include <type_traits>
#include <utility>

namespace ScopeGuardDetail {

// Base of the guards: counts the exceptions in flight when the guard is made, so the destructor can
// tell a normal exit from unwinding even when the guard lives inside a destructor that runs during
// unwinding (std::uncaught_exception() alone gets that wrong).
class TExitKind {
public:
  TExitKind(const TExitKind&) = delete;
  TExitKind& operator=(const TExitKind&) = delete;

protected:
  TExitKind() noexcept : FUncaught(std::uncaught_exceptions()) {}
  bool Unwinding() const noexcept { return std::uncaught_exceptions() > FUncaught; }

  // Runs Cleanup under the rule in the header comment.
  template <class F>
  void Run(F& Cleanup) const noexcept(std::is_nothrow_invocable_v<F&>) {
    if constexpr (std::is_nothrow_invocable_v<F&>) {
      Cleanup();
    } else if (Unwinding()) {
      try {
        Cleanup();
      } catch (...) {
      }
    } else {
      Cleanup();
    }
  }

private:
  int FUncaught;
};

}  // namespace ScopeGuardDetail

// Runs a callable on every exit from the scope.
template <class F>
class [[nodiscard]] TFinally : ScopeGuardDetail::TExitKind {
public:
  explicit TFinally(F Cleanup) noexcept(std::is_nothrow_move_constructible_v<F>) : FCleanup(std::move(Cleanup)) {}
  ~TFinally() noexcept(std::is_nothrow_invocable_v<F&>) { Run(FCleanup); }

private:
  F FCleanup;
};
template <class F>
TFinally(F) -> TFinally<F>;

// Runs a callable only when the scope is left by an exception: undoes a half-done step (free what was
// made, take back what was added) and lets the exception go on. Never throws.
template <class F>
class [[nodiscard]] TOnException : ScopeGuardDetail::TExitKind {
public:
  explicit TOnException(F Cleanup) noexcept(std::is_nothrow_move_constructible_v<F>)
      : FCleanup(std::move(Cleanup)) {}
  ~TOnException() noexcept {
    if (!Unwinding()) return;
    try {
      FCleanup();
    } catch (...) {
    }
  }

private:
  F FCleanup;
};
template <class F>
TOnException(F) -> TOnException<F>;

// Saves a variable and puts the saved value back on every exit; the second constructor also sets a new
// value for the scope.
template <class T>
class [[nodiscard]] TRestore : ScopeGuardDetail::TExitKind {
public:
  explicit TRestore(T& Var) : FVar(Var), FSaved(Var) {}
  template <class V>
  TRestore(T& Var, V&& NewValue) : FVar(Var), FSaved(Var) {
    FVar = std::forward<V>(NewValue);
  }
  ~TRestore() noexcept(std::is_nothrow_move_assignable_v<T>) {
    auto Put = [this]() noexcept(std::is_nothrow_move_assignable_v<T>) { FVar = std::move(FSaved); };
    Run(Put);
  }

  const T& Saved() const noexcept { return FSaved; }

private:
  T& FVar;
  T FSaved;
};

// Calls Target.BeginUpdate() now and Target.EndUpdate() on every exit (lists, collections, controls).
template <class T>
class [[nodiscard]] TUpdateScope : ScopeGuardDetail::TExitKind {
public:
  explicit TUpdateScope(T& Target) : FTarget(Target) { FTarget.BeginUpdate(); }
  ~TUpdateScope() noexcept(false) {
    auto End = [this] { FTarget.EndUpdate(); };
    Run(End);
  }

private:
  T& FTarget;
};
