#include "exceptions/capture/TarvikHooks.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>

#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikTrace.h"
#include "platform/sys/CodePatch.h"
#include "platform/sys/ImportSlots.h"
#include "platform/sys/SafeMemory.h"

bool IsValidAddress(const void* Address, size_t Count) { return IsReadableMemory(Address, Count); }

void* ResolveImportStub(void* Address) {
  uint8_t B[16];
  if (!Address || SafeReadMemory(Address, B, sizeof B) != sizeof B) return Address;
  size_t I = 0;
  if (B[0] == 0xF3 && B[1] == 0x0F && B[2] == 0x1E && B[3] == 0xFA) I = 4;  // endbr64
  if (B[I] == 0xF2) ++I;                                                    // bnd
  if (B[I] != 0xFF || B[I + 1] != 0x25) return Address;
  int32_t Disp;
  std::memcpy(&Disp, B + I + 2, 4);
  auto Slot = reinterpret_cast<void* const*>(reinterpret_cast<uintptr_t>(Address) + I + 6 + Disp);
  void* Target = nullptr;
  if (SafeReadMemory(Slot, &Target, sizeof Target) != sizeof Target || !Target) return Address;
  return Target;
}

// ---- Import hooks ----

namespace {
struct TImportHook {
  TImportSlot Slot;
  std::string Name;
  void* Previous;
  void* New;
};
// The lists are made on first use and never destroyed: hooks are installed before the program's
// static initialisation and may be undone after its static objects are gone.
std::mutex HooksLock;
std::vector<TImportHook>& ImportHooks() {
  static auto* List = new std::vector<TImportHook>;
  return *List;
}

std::vector<TImportHook> PatchSlots(TModuleHandle Module, const std::string& Name, void* New) {
  std::vector<TImportHook> Done;
  for (const TImportSlot& S : FindImportSlots(Name, Module)) {
    void* Previous = __atomic_load_n(S.Address, __ATOMIC_SEQ_CST);
    if (Previous == New || !WriteImportSlot(S, New)) continue;
    Done.push_back({S, Name, Previous, New});
  }
  return Done;
}
}  // namespace

bool PatchImportSlots(TModuleHandle Module, const std::string& Name, void* New) {
  return !PatchSlots(Module, Name, New).empty();
}

void* HookImportInModule(TModuleHandle Module, void* Old, void* New, bool DoNotRecord, bool Silent,
                         const std::string& Name) {
  if (!Old) throw EProcNull(Format(TarvikText::HookNullProcedure, {Name}));
  std::vector<TImportHook> Done = PatchSlots(Module, Name, New);
  if (Done.empty()) {
    if (Silent) return nullptr;
    throw EHookingError(Format(TarvikText::HookFailed, {Name}));
  }
  if (!DoNotRecord) {
    std::lock_guard<std::mutex> L(HooksLock);
    ImportHooks().insert(ImportHooks().end(), Done.begin(), Done.end());
  }
  return Old;
}

bool HookImport(const std::vector<TModuleHandle>& Modules, const std::string& Name, bool Silent, void*& Real,
                void* New) {
  TraceEntry("HookImport", {Name});
  // What a module's lazily bound slot would come to hold: the first definition in load order.
  Real = ::dlsym(RTLD_DEFAULT, Name.c_str());
  bool Any = false;
  if (Modules.empty())
    Any = HookImportInModule(0, Real, New, false, Silent, Name) != nullptr;
  for (TModuleHandle M : Modules)
    if (M != 0 && HookImportInModule(M, Real, New, false, Silent, Name)) Any = true;
  TraceEntry("HookImport=", {Any});
  return Any;
}

std::vector<TImportHookInfo> InstalledImportHooks() {
  std::lock_guard<std::mutex> L(HooksLock);
  std::vector<TImportHookInfo> R;
  for (const TImportHook& H : ImportHooks()) R.push_back({H.Slot.Module, H.Name, H.Slot.Address, H.Previous, H.New});
  return R;
}

// ---- Procedure hooks ----
//
// A hook's trampoline (x86-64): saves the argument registers, writes the target's own first bytes
// back, takes the caller's return address off the stack (so stack arguments stay where the target
// expects them), calls the target, saves its result registers, writes the patch again and jumps
// back to the saved return address.

namespace {
constexpr size_t MaxPatch = 14;
constexpr size_t CodeSize = 256;

struct TProcedureHook {
  void* Target = nullptr;
  void* Replacement = nullptr;
  void* SavedReturn = nullptr;  // written by the trampoline
  uint8_t Original[MaxPatch] = {};
  uint8_t Patch[MaxPatch] = {};
  size_t PatchSize = 0;
  uint8_t* Code = nullptr;
};
std::vector<std::unique_ptr<TProcedureHook>>& ProcedureHooks() {
  static auto* List = new std::vector<std::unique_ptr<TProcedureHook>>;
  return *List;
}

extern "C" void TarvikRestoreOriginalBytes(TProcedureHook* H) { WriteCode(H->Target, H->Original, H->PatchSize); }
extern "C" void TarvikReapplyPatch(TProcedureHook* H) { WriteCode(H->Target, H->Patch, H->PatchSize); }

class TCodeWriter {
public:
  explicit TCodeWriter(uint8_t* To) : FTo(To) {}
  TCodeWriter& Bytes(std::initializer_list<uint8_t> B) {
    for (uint8_t X : B) FTo[FSize++] = X;
    return *this;
  }
  TCodeWriter& Imm64(const void* P) {
    auto V = reinterpret_cast<uint64_t>(P);
    std::memcpy(FTo + FSize, &V, 8);
    FSize += 8;
    return *this;
  }
  // movdqu [rsp+8*N*2], xmmN (Store) or the reverse.
  TCodeWriter& Xmm(int N, bool Store) {
    return Bytes({0xF3, 0x0F, static_cast<uint8_t>(Store ? 0x7F : 0x6F), static_cast<uint8_t>(0x44 | (N << 3)), 0x24,
                  static_cast<uint8_t>(16 * N)});
  }
  size_t Size() const { return FSize; }

private:
  uint8_t* FTo;
  size_t FSize = 0;
};

size_t WriteTrampoline(uint8_t* Code, TProcedureHook* H) {
  TCodeWriter W(Code);
  W.Bytes({0xF3, 0x0F, 0x1E, 0xFA});                                   // endbr64
  W.Bytes({0x57, 0x56, 0x52, 0x51, 0x41, 0x50, 0x41, 0x51, 0x50});     // push rdi rsi rdx rcx r8 r9 rax
  W.Bytes({0x48, 0x81, 0xEC, 0x80, 0x00, 0x00, 0x00});                 // sub rsp, 128
  for (int N = 0; N < 8; ++N) W.Xmm(N, true);
  W.Bytes({0x48, 0xBF}).Imm64(H);                                      // mov rdi, H
  W.Bytes({0x48, 0xB8}).Imm64(reinterpret_cast<void*>(&TarvikRestoreOriginalBytes));  // mov rax, ...
  W.Bytes({0xFF, 0xD0});                                               // call rax
  for (int N = 0; N < 8; ++N) W.Xmm(N, false);
  W.Bytes({0x48, 0x81, 0xC4, 0x80, 0x00, 0x00, 0x00});                 // add rsp, 128
  W.Bytes({0x58, 0x41, 0x59, 0x41, 0x58, 0x59, 0x5A, 0x5E, 0x5F});     // pop rax r9 r8 rcx rdx rsi rdi
  W.Bytes({0x49, 0xBB}).Imm64(&H->SavedReturn);                        // mov r11, &SavedReturn
  W.Bytes({0x41, 0x8F, 0x03});                                         // pop qword [r11]
  W.Bytes({0x49, 0xBB}).Imm64(H->Target);                              // mov r11, Target
  W.Bytes({0x41, 0xFF, 0xD3});                                         // call r11
  W.Bytes({0x50, 0x52, 0x48, 0x83, 0xEC, 0x20});                       // push rax rdx; sub rsp, 32
  W.Xmm(0, true).Xmm(1, true);
  W.Bytes({0x48, 0xBF}).Imm64(H);                                      // mov rdi, H
  W.Bytes({0x48, 0xB8}).Imm64(reinterpret_cast<void*>(&TarvikReapplyPatch));
  W.Bytes({0xFF, 0xD0});                                               // call rax
  W.Xmm(0, false).Xmm(1, false);
  W.Bytes({0x48, 0x83, 0xC4, 0x20, 0x5A, 0x58});                       // add rsp, 32; pop rdx rax
  W.Bytes({0x49, 0xBB}).Imm64(&H->SavedReturn);                        // mov r11, &SavedReturn
  W.Bytes({0x41, 0xFF, 0x23});                                         // jmp qword [r11]
  return W.Size();
}

void BuildPatch(TProcedureHook& H) {
  auto From = reinterpret_cast<int64_t>(H.Target), To = reinterpret_cast<int64_t>(H.Replacement);
  int64_t Rel = To - (From + 5);
  if (Rel >= INT32_MIN && Rel <= INT32_MAX) {
    auto R = static_cast<int32_t>(Rel);
    H.Patch[0] = 0xE9;  // jmp rel32
    std::memcpy(H.Patch + 1, &R, 4);
    H.PatchSize = 5;
  } else {
    const uint8_t Jump[6] = {0xFF, 0x25, 0, 0, 0, 0};  // jmp [rip+0], the address after it
    std::memcpy(H.Patch, Jump, 6);
    std::memcpy(H.Patch + 6, &To, 8);
    H.PatchSize = 14;
  }
}

TProcedureHook* FindByTrampoline(void* Trampoline) {
  for (auto& H : ProcedureHooks())
    if (H->Code == Trampoline) return H.get();
  return nullptr;
}

void Unhook(std::unique_ptr<TProcedureHook>& H) {
  WriteCode(H->Target, H->Original, H->PatchSize);
  FreeCode(H->Code, CodeSize);
  H.reset();
}
}  // namespace

void* HookProcedure(void* Target, void* Replacement, const std::string& Name) {
  TraceEntry("HookProcedure", {Name});
  Target = ResolveImportStub(Target);
  Replacement = ResolveImportStub(Replacement);
  if (!Target) throw EProcNull(Format(TarvikText::HookNullProcedure, {Name}));
  auto H = std::make_unique<TProcedureHook>();
  H->Target = Target;
  H->Replacement = Replacement;
  BuildPatch(*H);
  std::lock_guard<std::mutex> L(HooksLock);
  // A shadow stack would stop the trampoline's return to a saved address; a target already hooked
  // would lose its first hook.
  bool Ok = !ControlFlowEnforced() && Replacement && IsValidAddress(Target, H->PatchSize);
  for (auto& Other : ProcedureHooks()) Ok = Ok && Other->Target != Target;
  if (Ok) Ok = SafeReadMemory(Target, H->Original, H->PatchSize) == H->PatchSize;
  if (Ok) Ok = (H->Code = static_cast<uint8_t*>(AllocateCode(CodeSize))) != nullptr;
  if (Ok) WriteTrampoline(H->Code, H.get());
  if (Ok) Ok = SealCode(H->Code, CodeSize);
  if (Ok) Ok = WriteCode(Target, H->Patch, H->PatchSize);
  if (!Ok) {
    FreeCode(H->Code, CodeSize);
    TraceEntry("HookProcedure=", {false});
    throw EHookingError(Format(TarvikText::HookFailed, {Name}));
  }
  ProcedureHooks().push_back(std::move(H));
  TraceEntry("HookProcedure=", {static_cast<const void*>(ProcedureHooks().back()->Code)});
  return ProcedureHooks().back()->Code;
}

void UnhookProcedure(void* Trampoline) {
  std::lock_guard<std::mutex> L(HooksLock);
  for (size_t I = 0; I < ProcedureHooks().size(); ++I)
    if (ProcedureHooks()[I]->Code == Trampoline) {
      Unhook(ProcedureHooks()[I]);
      ProcedureHooks().erase(ProcedureHooks().begin() + static_cast<std::ptrdiff_t>(I));
      return;
    }
}

void ReapplyHook(void* Trampoline) {
  std::lock_guard<std::mutex> L(HooksLock);
  if (TProcedureHook* H = FindByTrampoline(Trampoline)) TarvikReapplyPatch(H);
}

int InstalledProcedureHookCount() {
  std::lock_guard<std::mutex> L(HooksLock);
  return static_cast<int>(ProcedureHooks().size());
}

void FinalizeHooks() {
  std::lock_guard<std::mutex> L(HooksLock);
  while (!ProcedureHooks().empty()) {
    Unhook(ProcedureHooks().front());
    ProcedureHooks().erase(ProcedureHooks().begin());
  }
  for (auto It = ImportHooks().rbegin(); It != ImportHooks().rend(); ++It)
    if (__atomic_load_n(It->Slot.Address, __ATOMIC_SEQ_CST) == It->New) WriteImportSlot(It->Slot, It->Previous);
  ImportHooks().clear();
}
