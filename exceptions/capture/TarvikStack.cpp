#include "exceptions/capture/TarvikStack.h"

#include <unwind.h>

#include <atomic>
#include <cstring>
#include <typeinfo>

#include "exceptions/base/TarvikState.h"
#include "platform/sys/SafeMemory.h"

// From libgcc's unwinder (exported since GCC 3.0): the frame description entry covering Pc.
struct TEhBases {
  void* TextBase;
  void* DataBase;
  void* Function;
};
extern "C" const void* _Unwind_Find_FDE(void* Pc, TEhBases* Bases);

namespace {
// ---- Frames ----

struct TCaptureState {
  TTarvikRawStack* Stack;
  uintptr_t From;
  bool Started;
};

_Unwind_Reason_Code CaptureFrame(_Unwind_Context* Context, void* Data) {
  auto& S = *static_cast<TCaptureState*>(Data);
  int BeforeInsn = 0;
  uintptr_t Ip = _Unwind_GetIPInfo(Context, &BeforeInsn);
  if (!S.Started) {
    S.Started = Ip == S.From;
    return _URC_NO_REASON;
  }
  if (Ip == 0) return _URC_END_OF_STACK;
  S.Stack->Add(Ip, BeforeInsn == 0);
  return S.Stack->Count < TTarvikRawStack::Capacity ? _URC_NO_REASON : _URC_END_OF_STACK;
}

// ---- The personality routine of a frame, from its CIE's augmentation ----

struct TByteCursor {
  const uint8_t* P;
  uint64_t Uleb() {
    uint64_t V = 0;
    for (int Shift = 0;; Shift += 7) {
      uint8_t B = *P++;
      if (Shift < 64) V |= static_cast<uint64_t>(B & 0x7F) << Shift;
      if (!(B & 0x80)) return V;
    }
  }
  int64_t Sleb() {
    int64_t V = 0;
    int Shift = 0;
    uint8_t B;
    do {
      B = *P++;
      if (Shift < 64) V |= static_cast<int64_t>(B & 0x7F) << Shift;
      Shift += 7;
    } while (B & 0x80);
    if (Shift < 64 && (B & 0x40)) V |= -(static_cast<int64_t>(1) << Shift);
    return V;
  }
  template <class T>
  T Fixed() {
    T V;
    std::memcpy(&V, P, sizeof V);
    P += sizeof V;
    return V;
  }
};

// A pointer in the DW_EH_PE encoding Enc; 0 when the encoding is one the search does not know.
uintptr_t ReadEncoded(TByteCursor& C, uint8_t Enc, const TEhBases& B) {
  const uint8_t* Field = C.P;
  uintptr_t V;
  switch (Enc & 0x0F) {
    case 0x00: V = C.Fixed<uint64_t>(); break;
    case 0x01: V = C.Uleb(); break;
    case 0x02: V = C.Fixed<uint16_t>(); break;
    case 0x03: V = C.Fixed<uint32_t>(); break;
    case 0x04: V = C.Fixed<uint64_t>(); break;
    case 0x09: V = static_cast<uintptr_t>(C.Sleb()); break;
    case 0x0A: V = static_cast<uintptr_t>(static_cast<int64_t>(C.Fixed<int16_t>())); break;
    case 0x0B: V = static_cast<uintptr_t>(static_cast<int64_t>(C.Fixed<int32_t>())); break;
    case 0x0C: V = static_cast<uintptr_t>(C.Fixed<int64_t>()); break;
    default: return 0;
  }
  switch (Enc & 0x70) {
    case 0x00: break;
    case 0x10: V += reinterpret_cast<uintptr_t>(Field); break;
    case 0x20: V += reinterpret_cast<uintptr_t>(B.TextBase); break;
    case 0x30: V += reinterpret_cast<uintptr_t>(B.DataBase); break;
    case 0x40: V += reinterpret_cast<uintptr_t>(B.Function); break;
    default: return 0;
  }
  if ((Enc & 0x80) && V) V = *reinterpret_cast<const uintptr_t*>(V);
  return V;
}

using TPersonality = _Unwind_Reason_Code (*)(int, _Unwind_Action, _Unwind_Exception_Class, _Unwind_Exception*,
                                             _Unwind_Context*);

TPersonality PersonalityOf(uintptr_t Pc) {
  TEhBases Bases{};
  auto Fde = static_cast<const uint8_t*>(_Unwind_Find_FDE(reinterpret_cast<void*>(Pc), &Bases));
  if (!Fde) return nullptr;
  int32_t CieDelta;
  std::memcpy(&CieDelta, Fde + 4, 4);
  TByteCursor C{Fde + 4 - CieDelta};
  if (C.Fixed<uint32_t>() == 0xFFFFFFFF) return nullptr;  // 64-bit form: not in .eh_frame
  C.Fixed<uint32_t>();                                     // CIE id
  uint8_t Version = C.Fixed<uint8_t>();
  auto Augmentation = reinterpret_cast<const char*>(C.P);
  C.P += std::strlen(Augmentation) + 1;
  if (Augmentation[0] != 'z') return nullptr;  // no augmentation data: no personality either
  C.Uleb();
  C.Sleb();
  if (Version == 1)
    C.Fixed<uint8_t>();
  else
    C.Uleb();
  C.Uleb();  // augmentation data length
  for (const char* A = Augmentation + 1; *A; ++A) {
    if (*A == 'P') {
      uint8_t Enc = C.Fixed<uint8_t>();
      return reinterpret_cast<TPersonality>(ReadEncoded(C, Enc, Bases));
    }
    if (*A == 'L' || *A == 'R')
      C.Fixed<uint8_t>();
    else if (*A != 'S' && *A != 'B')
      return nullptr;
  }
  return nullptr;
}

// ---- The C++ exception header in front of the unwinder's (Itanium C++ ABI, 64-bit) ----

struct TCxaExceptionTail {
  const std::type_info* ExceptionType;  // a dependent exception's primary object instead
  void (*ExceptionDestructor)(void*);
  void (*UnexpectedHandler)();
  void (*TerminateHandler)();
  void* NextException;
  int HandlerCount;
  int HandlerSwitchValue;
  const unsigned char* ActionRecord;
  const unsigned char* LanguageSpecificData;
  uintptr_t CatchTemp;
  void* AdjustedPtr;
};
static_assert(sizeof(TCxaExceptionTail) == 80);

constexpr uint64_t CxxClassMask = ~static_cast<uint64_t>(0xFF);
constexpr uint64_t GnuCxx = 0x474E5543432B2B00;   // "GNUCC++\0"
constexpr uint64_t ClangCxx = 0x434C4E47432B2B00; // "CLNGC++\0"

TCxaExceptionTail* CxxHeader(_Unwind_Exception* E) {
  uint64_t Class = E->exception_class & CxxClassMask;
  if (Class != GnuCxx && Class != ClangCxx) return nullptr;
  return reinterpret_cast<TCxaExceptionTail*>(E) - 1;
}

bool IsDependent(_Unwind_Exception* E) { return (E->exception_class & 0xFF) == 1; }

// ---- The search ----

struct TSearchState {
  _Unwind_Exception* Exception;
  uintptr_t From;
  bool Started = false;
  bool Exhaustive = false;
  int Needed = 1;  // handlers that make the exception handled
  int Count = 0;
  bool Terminates = false;
  TTarvikRawStack* Stack = nullptr;
  TTarvikContext* Context = nullptr;
  bool ContextTaken = false;
  uintptr_t FromCfa = 0;
};

void TakeContext(TSearchState& S, _Unwind_Context* Ctx, uintptr_t Ip) {
  TTarvikContext& R = *S.Context;
  R.Rip = Ip - 1;
  R.Rsp = S.FromCfa;
  R.Rbx = _Unwind_GetGR(Ctx, 3);
  R.Rbp = _Unwind_GetGR(Ctx, 6);
  R.R12 = _Unwind_GetGR(Ctx, 12);
  R.R13 = _Unwind_GetGR(Ctx, 13);
  R.R14 = _Unwind_GetGR(Ctx, 14);
  R.R15 = _Unwind_GetGR(Ctx, 15);
  R.Rax = reinterpret_cast<uintptr_t>(ThrownObjectOf(S.Exception).Object);
  R.Valid = TTarvikContext::Raise;
  S.ContextTaken = true;
}

_Unwind_Reason_Code SearchFrame(_Unwind_Context* Ctx, void* Data) {
  auto& S = *static_cast<TSearchState*>(Data);
  int BeforeInsn = 0;
  uintptr_t Ip = _Unwind_GetIPInfo(Ctx, &BeforeInsn);
  if (!S.Started) {
    if (Ip != S.From) return _URC_NO_REASON;
    S.Started = true;
    S.FromCfa = _Unwind_GetCFA(Ctx);
  } else {
    if (Ip == 0) return _URC_END_OF_STACK;
    if (S.Stack) S.Stack->Add(Ip, BeforeInsn == 0);
    if (S.Context && !S.ContextTaken) TakeContext(S, Ctx, Ip);
  }
  if (!_Unwind_GetLanguageSpecificData(Ctx)) return _URC_NO_REASON;
  TPersonality Personality = PersonalityOf(BeforeInsn ? Ip : Ip - 1);
  if (!Personality) return _URC_NO_REASON;
  _Unwind_Reason_Code R =
      Personality(1, _UA_SEARCH_PHASE, S.Exception->exception_class, S.Exception, Ctx);
  if (R != _URC_HANDLER_FOUND) return _URC_NO_REASON;
  // The C++ personality notes what it found in the exception's header: a positive selector for a
  // catch clause; 0 or less where the search ends in std::terminate (a noexcept boundary).
  TCxaExceptionTail* H = CxxHeader(S.Exception);
  if (H && H->HandlerSwitchValue <= 0) {
    S.Terminates = true;
    return _URC_END_OF_STACK;
  }
  ++S.Count;
  if (!S.Exhaustive && S.Count >= S.Needed) return _URC_END_OF_STACK;
  return _URC_NO_REASON;
}

thread_local bool Wrapped = false;
// A plain pointer: the capture starts before the program's static initialisation has run.
std::atomic<TFrameResolver> Resolver{nullptr};
}  // namespace

void CaptureStack(TTarvikRawStack& Stack, uintptr_t From) {
  Stack.Count = 0;
  TCaptureState S{&Stack, From ? From : reinterpret_cast<uintptr_t>(__builtin_return_address(0)), false};
  _Unwind_Backtrace(CaptureFrame, &S);
}

void CaptureSignalStack(TTarvikRawStack& Stack, uintptr_t Pc, uintptr_t Sp) {
  Stack.Count = 0;
  TCaptureState S{&Stack, Pc, false};
  // The interrupted frame's address is exact: the unwinder marks it (after the signal frame) as
  // one not to take back by one.
  struct TSignalState {
    TCaptureState* S;
    uintptr_t Pc;
  } SS{&S, Pc};
  _Unwind_Backtrace(
      [](_Unwind_Context* Ctx, void* Data) -> _Unwind_Reason_Code {
        auto& X = *static_cast<TSignalState*>(Data);
        int BeforeInsn = 0;
        uintptr_t Ip = _Unwind_GetIPInfo(Ctx, &BeforeInsn);
        if (!X.S->Started) {
          if (Ip != X.Pc || !BeforeInsn) return _URC_NO_REASON;
          X.S->Started = true;
          X.S->Stack->Add(Ip, false);
          return _URC_NO_REASON;
        }
        if (Ip == 0) return _URC_END_OF_STACK;
        X.S->Stack->Add(Ip, BeforeInsn == 0);
        return X.S->Stack->Count < TTarvikRawStack::Capacity ? _URC_NO_REASON : _URC_END_OF_STACK;
      },
      &SS);
  if (Stack.Count <= 1) {
    Stack.Count = 0;
    Stack.Add(Pc, false);
    uintptr_t Return = 0;
    if (SafeReadMemory(reinterpret_cast<const void*>(Sp), &Return, sizeof Return) == sizeof Return && Return)
      Stack.Add(Return, true);
  }
}

uintptr_t CallSite(const TTarvikRawFrame& Frame) {
  return Frame.ReturnAddress && Frame.Address ? Frame.Address - 1 : Frame.Address;
}

TTarvikStackList BuildCallStack(uintptr_t ExceptionAddress, const TTarvikRawStack& Stack) {
  TFrameResolver Resolve = Resolver.load();
  auto FrameAt = [Resolve](uintptr_t Address) {
    if (Resolve) return Resolve(Address);
    TTarvikStackFrame F;
    F.Address = Address;
    return F;
  };
  TTarvikStackList List;
  List.reserve(static_cast<size_t>(Stack.Count) + 1);
  if (ExceptionAddress != 0 && (Stack.Count == 0 || CallSite(Stack.Frames[0]) != ExceptionAddress))
    List.push_back(FrameAt(ExceptionAddress));
  for (int I = 0; I < Stack.Count; ++I) List.push_back(FrameAt(CallSite(Stack.Frames[I])));
  return List;
}

void SetFrameResolver(TFrameResolver R) { Resolver.store(R); }

TFrameResolver FrameResolver() { return Resolver.load(); }

TThrownObject ThrownObjectOf(_Unwind_Exception* E) {
  TCxaExceptionTail* H = E ? CxxHeader(E) : nullptr;
  if (!H) return {};
  if (IsDependent(E)) {
    void* Primary = const_cast<std::type_info*>(H->ExceptionType);
    if (!Primary) return {};
    auto* P = static_cast<TCxaExceptionTail*>(static_cast<void*>(
                  static_cast<char*>(Primary) - sizeof(_Unwind_Exception))) - 1;
    return {Primary, P->ExceptionType};
  }
  return {E + 1, H->ExceptionType};
}

bool IsFreshThrow(_Unwind_Exception* E) {
  TCxaExceptionTail* H = CxxHeader(E);
  return H && !IsDependent(E) && H->HandlerCount == 0;
}

bool IsExceptionHandled(_Unwind_Exception* Exception, uintptr_t From, int* HandlerCount, TTarvikRawStack* Stack,
                        TTarvikContext* Context) {
  TSearchState S;
  S.Exception = Exception;
  S.From = From;
  S.Exhaustive = HandlerCount != nullptr;
  S.Needed = Wrapped ? 2 : 1;
  S.Stack = Stack;
  S.Context = Context;
  if (Stack) Stack->Count = 0;
  _Unwind_Backtrace(SearchFrame, &S);
  if (HandlerCount) *HandlerCount = S.Count;
  if (DeferToMainModule()) return true;
  return !S.Terminates && S.Count >= S.Needed;
}

void SetThreadWrapped(bool W) { Wrapped = W; }
bool ThreadWrapped() { return Wrapped; }
