#include "lxreport/LXPDFLibrary.h"

#include "lxreport/LXConsts.h"
#include "platform/app/Dialogs.h"
#include "platform/classes/ScopeGuard.h"

namespace {
// The component's entries: C calls, lengths as 80-bit floats.
using TInitLib = void (*)(void*);
using TSetPageParams = void (*)(long double, long double, long double, long double, long double);
using TAddPDFItem = void (*)(const uint8_t*);
using TAddImageItem = int (*)(const uint8_t*, int32_t);
using TFinishDoc = int (*)(const char*);
using TCloseDownLib = void (*)();
using TSetOutput = void (*)(void*, TLXPDFLibrary::TWriteOutput);
}  // namespace

TLXPDFLibrary::TLXPDFLibrary(std::string Name) : FName(std::move(Name)) {}

TLXPDFLibrary::~TLXPDFLibrary() { FreeLibrary(FHeld); }

template <class F>
bool TLXPDFLibrary::Call(const char* Entry, F&& Invoke) {
  // While the component is held (InitLib to CloseDownLib) it is there; found once, it is loaded
  // again from its file: a million items must not search the folders a million times.
  TLibraryHandle H = FHeld ? FHeld : LoadLibrary(FPath.empty() ? FName : FPath);
  if (!H) {
    // One box per export: every later call would raise the same one.
    if (!FMissing) MessageDlg(SLXPDFLibraryMissing, mtError, MsgButton(mbOK));
    FMissing = true;
    return false;
  }
  TFinally Free([&] {
    if (H != FHeld) FreeLibrary(H);
  });
  void* Address = GetProcAddress(H, Entry);
  if (!Address) {
    ShowMessage(std::string(SLXPDFEntryMissing) + Entry);
    return false;
  }
  Invoke(Address);
  return true;
}

void TLXPDFLibrary::InitLib(TComponent* Owner) {
  Call("InitLib", [&](void* A) { reinterpret_cast<TInitLib>(A)(Owner); });
  if (!FHeld) FHeld = LoadLibrary(FName);
  FPath = LibraryFileName(FHeld);
}

void TLXPDFLibrary::SetPageParams(long double PaperWidth, long double PaperHeight, long double TopMargin,
                                  long double A, long double B) {
  Call("SetPageParams",
       [&](void* E) { reinterpret_cast<TSetPageParams>(E)(PaperWidth, PaperHeight, TopMargin, A, B); });
}

void TLXPDFLibrary::AddPDFItem(const uint8_t* Block) {
  Call("AddPDFItem", [&](void* E) { reinterpret_cast<TAddPDFItem>(E)(Block); });
}

bool TLXPDFLibrary::AddImageItem(const uint8_t* Block, int32_t Reserved) {
  int Read = 1;
  Call("AddImageItem", [&](void* E) { Read = reinterpret_cast<TAddImageItem>(E)(Block, Reserved); });
  return Read != 0;
}

bool TLXPDFLibrary::FinishDoc(const std::string& FileName) {
  int Written = 0;
  Call("FinishDoc", [&](void* E) { Written = reinterpret_cast<TFinishDoc>(E)(FileName.c_str()); });
  return Written != 0;
}

bool TLXPDFLibrary::SetOutput(void* Context, TWriteOutput Write) {
  if (FMissing || !FHeld) return false;
  void* Entry = GetProcAddress(FHeld, "SetOutput");
  if (!Entry) return false;
  reinterpret_cast<TSetOutput>(Entry)(Context, Write);
  return true;
}

void TLXPDFLibrary::CloseDownLib() {
  Call("CloseDownLib", [&](void* E) { reinterpret_cast<TCloseDownLib>(E)(); });
  FreeLibrary(FHeld);
  FHeld = nullptr;
  FPath.clear();
}
