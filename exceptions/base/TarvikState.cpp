#include "exceptions/base/TarvikState.h"

#include <unistd.h>

#include <atomic>
#include <mutex>

#include "exceptions/base/TarvikTexts.h"

namespace {
// Plain values: the start-up sets some of them before the program's static initialisation.
bool Installed = false;
bool Defer = false;
std::atomic<bool> InitRunning{false};
std::atomic<bool> FinRunning{false};
std::atomic<TTarvikModuleOptionsEx*> ModuleOptions{nullptr};
std::atomic<TReporterOptionsChanged> OptionsChangedHook{nullptr};
char StartDir[4096] = "";
uintptr_t MainStackTop = 0;
std::atomic<int> StallTimeoutMs{60000};
std::mutex SwitchLock;
std::function<void(bool)> FreezeSwitch;
}  // namespace

bool ReporterInstalled() { return Installed; }

void SetReporterInstalled(bool V) { Installed = V; }

bool DeferToMainModule() { return Defer; }

void SetDeferToMainModule(bool V) { Defer = V; }

bool InitialisationRunning() { return InitRunning.load(); }

void SetInitialisationRunning(bool V) { InitRunning.store(V); }

bool FinalisationRunning() { return FinRunning.load(); }

void SetFinalisationRunning(bool V) { FinRunning.store(V); }

std::string StartDirectory() { return StartDir; }

uintptr_t MainThreadStackTop() { return MainStackTop; }

void TakeStartDirectory() {
  if (StartDir[0] == 0 && !::getcwd(StartDir, sizeof StartDir)) StartDir[0] = 0;
}

void SetMainThreadStackTop(uintptr_t Top) { MainStackTop = Top; }

void SetReporterModuleOptions(TTarvikModuleOptionsEx* Options) { ModuleOptions.store(Options); }

TTarvikModuleOptionsEx* ReporterModuleOptions() { return ModuleOptions.load(); }

TTarvikModuleOptionsEx& CurrentTarvikLogOptions() {
  TTarvikModuleOptionsEx* O = ModuleOptions.load();
  if (!O) throw EAssertionFailed(std::string(TarvikText::ReporterNotActive) + " (" + TarvikText::ReporterUnit + ")");
  return *O;
}

void SetReporterOptionsChanged(TReporterOptionsChanged Hook) { OptionsChangedHook.store(Hook); }

void ReporterOptionsChanged(const TTarvikModuleOptions* Options) {
  if (TReporterOptionsChanged Hook = OptionsChangedHook.load()) Hook(Options);
}

int PipelineStallTimeoutMs() { return StallTimeoutMs.load(); }

void SetPipelineStallTimeoutMs(int Ms) { StallTimeoutMs.store(Ms); }

void SetFreezeDetectorSwitch(std::function<void(bool Run)> Switch) {
  std::lock_guard<std::mutex> L(SwitchLock);
  FreezeSwitch = std::move(Switch);
}

void SwitchFreezeDetector(bool Run) {
  std::function<void(bool)> S;
  {
    std::lock_guard<std::mutex> L(SwitchLock);
    S = FreezeSwitch;
  }
  if (S) S(Run);
}
