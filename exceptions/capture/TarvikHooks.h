#pragma once
// Hooks on code the reporter does not own. Import hooks rewrite the slots of the modules' global
// offset tables through which they call a function of another module (by symbol name): no code
// changes, so they work under W^X and with control-flow enforcement. Procedure hooks overwrite the
// first bytes of a function with a jump to a replacement, and hand out a trampoline that reaches
// the real function; they need writable code and fail with EHookingError where the system keeps
// code read-only or checks control flow, never faulting. FinalizeHooks undoes every hook.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/sys/Modules.h"

DECLARE_EXCEPTION(EHookError, Exception)
DECLARE_EXCEPTION(EProcNull, EHookError)
DECLARE_EXCEPTION(EHookingError, EHookError)
// Declared for callers that name the family; a module in a shared area that cannot be hooked does
// not exist on this system, so nothing raises it.
DECLARE_EXCEPTION(ESharedArea, EHookError)

// True when Count bytes at Address can be read.
bool IsValidAddress(const void* Address, size_t Count);
// The function behind a procedure-linkage stub ("jmp *slot(%rip)", optionally after endbr64 and a
// bnd prefix): the slot's content; otherwise Address itself.
void* ResolveImportStub(void* Address);

// Import hooks. Name is the imported symbol; Real is the function it reached before the hook.
//
// Rewrites every slot of Module bound to Name so that it holds New, remembering each slot's value;
// true when any slot was rewritten.
bool PatchImportSlots(TModuleHandle Module, const std::string& Name, void* New);
// Hooks Name in Module (in every loaded module when Module is 0): Old is the real function (EProcNull when null). When the module has no
// slot for Name: null when Silent, else EHookingError. Unless DoNotRecord the hook is undone by
// FinalizeHooks. Returns Old.
void* HookImportInModule(TModuleHandle Module, void* Old, void* New, bool DoNotRecord, bool Silent,
                         const std::string& Name);
// Real := the function the symbol Name resolves to; then Name is hooked in every module of Modules
// (every loaded module when empty) that imports it. True when any module was hooked.
bool HookImport(const std::vector<TModuleHandle>& Modules, const std::string& Name, bool Silent, void*& Real,
                void* New);
// The recorded import hooks, for tests and the trace: module, symbol, slot and the values.
struct TImportHookInfo {
  TModuleHandle Module;
  std::string Name;
  void** Slot;
  void* Previous;
  void* New;
};
std::vector<TImportHookInfo> InstalledImportHooks();

// Procedure hooks. Target's first bytes jump to Replacement; the returned trampoline, called with
// the same arguments, runs the real Target and returns its result. One call at a time passes a
// trampoline: while it runs, Target is unpatched and other callers reach it directly.
void* HookProcedure(void* Target, void* Replacement, const std::string& Name);
void UnhookProcedure(void* Trampoline);
// Writes the patch again after the real procedure, called through the trampoline, left by an
// exception (which skips the trampoline's own re-patch).
void ReapplyHook(void* Trampoline);
int InstalledProcedureHookCount();

// Undoes every procedure hook, then every recorded import hook (a slot that no longer holds the
// hook's value, because someone hooked it after us, is left alone).
void FinalizeHooks();
