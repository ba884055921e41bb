// Procedure hooks and their errors; import stubs. (Import-slot hooks: TarvikCaptureTest.)
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>

#include "exceptions/capture/TarvikHooks.h"
#include "platform/sys/CodePatch.h"

namespace {
// Eight arguments: two of them travel on the stack, which the trampoline must leave in place.
[[gnu::noinline]] int HookTarget(int A, int B, int C, int D, int E, int F, int G, int H) {
  asm volatile("");
  return A + 2 * B + 3 * C + 4 * D + 5 * E + 6 * F + 7 * G + 8 * H;
}
[[gnu::noinline]] double HookTargetFloat(double X, double Y) {
  asm volatile("");
  return X * Y;
}

void* Trampoline = nullptr;
void* FloatTrampoline = nullptr;
int ReplacementCalls = 0;

int Replacement(int A, int B, int C, int D, int E, int F, int G, int H) {
  ++ReplacementCalls;
  return 1000 + reinterpret_cast<int (*)(int, int, int, int, int, int, int, int)>(Trampoline)(A, B, C, D, E, F, G, H);
}
double FloatReplacement(double X, double Y) {
  return 0.5 + reinterpret_cast<double (*)(double, double)>(FloatTrampoline)(X, Y);
}

// Called through a volatile pointer, so the compiler neither inlines nor folds the call.
int (*volatile CallTarget)(int, int, int, int, int, int, int, int) = HookTarget;
double (*volatile CallFloat)(double, double) = HookTargetFloat;

TEST(TarvikHooksTest, AHookedProcedureRunsTheReplacementWhichReachesTheRealOneThroughTheTrampoline) {
  uint8_t Before[16];
  std::memcpy(Before, reinterpret_cast<void*>(&HookTarget), sizeof Before);
  int Expected = CallTarget(1, 2, 3, 4, 5, 6, 7, 8);
  ASSERT_EQ(Expected, 204);
  Trampoline = HookProcedure(reinterpret_cast<void*>(&HookTarget), reinterpret_cast<void*>(&Replacement), "HookTarget");
  FloatTrampoline =
      HookProcedure(reinterpret_cast<void*>(&HookTargetFloat), reinterpret_cast<void*>(&FloatReplacement), "Float");
  EXPECT_EQ(InstalledProcedureHookCount(), 2);
  ReplacementCalls = 0;
  EXPECT_EQ(CallTarget(1, 2, 3, 4, 5, 6, 7, 8), 1000 + Expected);
  EXPECT_EQ(CallTarget(8, 7, 6, 5, 4, 3, 2, 1), 1120);
  EXPECT_EQ(ReplacementCalls, 2);
  EXPECT_DOUBLE_EQ(CallFloat(1.5, 4.0), 6.5);
  // A second hook of a hooked procedure would lose the first.
  EXPECT_THROW(HookProcedure(reinterpret_cast<void*>(&HookTarget), reinterpret_cast<void*>(&Replacement), "Again"),
               EHookingError);
  UnhookProcedure(FloatTrampoline);
  UnhookProcedure(Trampoline);
  EXPECT_EQ(InstalledProcedureHookCount(), 0);
  EXPECT_EQ(std::memcmp(Before, reinterpret_cast<void*>(&HookTarget), sizeof Before), 0);
  EXPECT_EQ(CallTarget(1, 2, 3, 4, 5, 6, 7, 8), Expected);
  EXPECT_DOUBLE_EQ(CallFloat(1.5, 4.0), 6.0);
}

TEST(TarvikHooksTest, ReapplyHookPatchesTheTargetAgain) {
  uint8_t Original[16];
  std::memcpy(Original, reinterpret_cast<void*>(&HookTarget), sizeof Original);
  Trampoline = HookProcedure(reinterpret_cast<void*>(&HookTarget), reinterpret_cast<void*>(&Replacement), "HookTarget");
  // What an exception leaving the real procedure leaves behind: the target without its patch.
  ASSERT_TRUE(WriteCode(reinterpret_cast<void*>(&HookTarget), Original, sizeof Original));
  EXPECT_EQ(CallTarget(0, 0, 0, 0, 0, 0, 0, 1), 8);
  ReapplyHook(Trampoline);
  EXPECT_EQ(CallTarget(0, 0, 0, 0, 0, 0, 0, 1), 1008);
  UnhookProcedure(Trampoline);
  EXPECT_EQ(InstalledProcedureHookCount(), 0);
  EXPECT_EQ(CallTarget(0, 0, 0, 0, 0, 0, 0, 1), 8);
}

TEST(TarvikHooksTest, FailuresRaiseTheHookErrorsWithTheirTexts) {
  try {
    HookProcedure(nullptr, reinterpret_cast<void*>(&Replacement), "Nada");
    FAIL();
  } catch (const EProcNull& E) {
    EXPECT_EQ(E.Message(), "Cannot hook a null procedure (\"Nada\").");
  }
  // Memory that cannot be read cannot be patched: an error, not a fault.
  try {
    HookProcedure(reinterpret_cast<void*>(16), reinterpret_cast<void*>(&Replacement), "Unmapped");
    FAIL();
  } catch (const EHookingError& E) {
    EXPECT_EQ(E.Message(), "Cannot hook the procedure \"Unmapped\".");
  }
  void* Real = nullptr;
  EXPECT_THROW(HookImport({}, "mor_no_such_symbol", true, Real, reinterpret_cast<void*>(&Replacement)), EProcNull);
  // A function that no module imports through a slot: silently nothing, else an error; nothing
  // is recorded either way.
  size_t Recorded = InstalledImportHooks().size();
  void* Unused = dlsym(RTLD_DEFAULT, "strfry");
  ASSERT_NE(Unused, nullptr);
  EXPECT_EQ(HookImportInModule(0, Unused, reinterpret_cast<void*>(&Replacement), false, true, "strfry"), nullptr);
  try {
    HookImportInModule(0, Unused, reinterpret_cast<void*>(&Replacement), false, false, "strfry");
    FAIL();
  } catch (const EHookingError& E) {
    EXPECT_EQ(E.Message(), "Cannot hook the procedure \"strfry\".");
  }
  EXPECT_EQ(InstalledImportHooks().size(), Recorded);
  EXPECT_EQ(InstalledProcedureHookCount(), 0);
}

TEST(TarvikHooksTest, AnImportStubResolvesToItsSlotsTarget) {
  // endbr64; bnd jmp *slot(%rip), with the slot right after the instruction.
  alignas(8) uint8_t Stub[24] = {0xF3, 0x0F, 0x1E, 0xFA, 0xF2, 0xFF, 0x25, 0x00, 0x00, 0x00, 0x00};
  void* Target = reinterpret_cast<void*>(&HookTarget);
  std::memcpy(Stub + 11, &Target, sizeof Target);
  EXPECT_EQ(ResolveImportStub(Stub), Target);
  uint8_t NotAStub[16] = {0x55, 0x48, 0x89, 0xE5};
  EXPECT_EQ(ResolveImportStub(NotAStub), static_cast<void*>(NotAStub));
  EXPECT_EQ(ResolveImportStub(nullptr), nullptr);
}
}  // namespace
