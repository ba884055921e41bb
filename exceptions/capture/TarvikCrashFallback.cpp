#include "exceptions/capture/TarvikCrashFallback.h"

#include <fcntl.h>
#include <link.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/base/TarvikTexts.h"
#include "exceptions/base/TarvikVirtualFiles.h"
#include "exceptions/capture/TarvikCapture.h"
#include "platform/rtl/Win1252.h"
#include "platform/sys/Process.h"

// Plain arrays and atomics only: the table is first taken before the program's static
// initialisation, and read in a signal handler.
namespace {
constexpr int MaxModules = 512;
constexpr size_t NamePool = 64 * 1024;

struct TCrashModule {
  uintptr_t Start, End, Handle;
  uint32_t Name;  // offset into the pool
};

struct TCrashModules {
  int Count = 0;
  TCrashModule Items[MaxModules];
  char Names[NamePool];
  size_t NamesUsed = 0;
};

// Two tables: one is written while the other stays readable; a handler reads the published one.
TCrashModules Tables[2];
std::atomic<int> Published{-1};
std::atomic_flag Preparing = ATOMIC_FLAG_INIT;

const char* BaseName(const char* Path) {
  const char* Slash = std::strrchr(Path, '/');
  return Slash ? Slash + 1 : Path;
}

int AddCrashModule(dl_phdr_info* Info, size_t, void* Data) {
  auto& T = *static_cast<TCrashModules*>(Data);
  if (T.Count >= MaxModules) return 1;
  bool Found = false;
  uintptr_t Low = 0, High = 0;
  for (ElfW(Half) I = 0; I < Info->dlpi_phnum; ++I) {
    const ElfW(Phdr)& P = Info->dlpi_phdr[I];
    if (P.p_type != PT_LOAD) continue;
    uintptr_t S = Info->dlpi_addr + P.p_vaddr, E = S + P.p_memsz;
    if (!Found || S < Low) Low = S;
    if (!Found || E > High) High = E;
    Found = true;
  }
  if (!Found) return 0;
  char Exe[4096];
  const char* Path = Info->dlpi_name;
  if (!Path || !*Path) {
    // The main program: the loader keeps no name for it.
    ssize_t N = ::readlink("/proc/self/exe", Exe, sizeof Exe - 1);
    Exe[N > 0 ? N : 0] = 0;
    Path = Exe;
  }
  const char* Name = BaseName(Path);
  size_t Len = std::strlen(Name);
  if (T.NamesUsed + Len + 1 > NamePool) return 1;
  std::memcpy(T.Names + T.NamesUsed, Name, Len + 1);
  T.Items[T.Count++] = {Low, High, Low & ~static_cast<uintptr_t>(0xFFF), static_cast<uint32_t>(T.NamesUsed)};
  T.NamesUsed += Len + 1;
  return 0;
}

// ---- What the report needs, prepared ----

// Texts 24 (the exception's section), 26 to 29 (its items), 7 and 9 (the tables), 47, 48
// (address, module), 62 and 63 (handle, name).
constexpr int LabelCount = 11;
constexpr int LabelTexts[LabelCount] = {24, 26, 27, 28, 29, 7, 9, 47, 48, 62, 63};
struct TPreparedReport {
  char Labels[LabelCount][128];
  char LogFile[4096];
  char SharedNames[2][128];
};
// Two copies, as for the modules: the options may change while a crash reads the other.
TPreparedReport Reports[2];
std::atomic<int> ReportPublished{-1};
std::atomic_flag ReportPreparing = ATOMIC_FLAG_INIT;

const TPreparedReport* Prepared() {
  int P = ReportPublished.load();
  return P < 0 ? nullptr : &Reports[P];
}

void CopyText(char* To, size_t Size, const std::string& From) {
  size_t N = From.size() < Size - 1 ? From.size() : Size - 1;
  std::memcpy(To, From.data(), N);
  To[N] = 0;
}

const char* Label(int Text) {
  const TPreparedReport* R = Prepared();
  for (int I = 0; I < LabelCount; ++I)
    if (LabelTexts[I] == Text && R && R->Labels[I][0]) return R->Labels[I];
  // Not prepared: the default texts.
  return DefaultCustomizedTexts[Text];
}

// ---- A bounded text built without allocating ----

struct TTextOut {
  char* P;
  size_t Size, Len = 0;
  void Add(const char* S, size_t N) {
    for (size_t I = 0; I < N && Len + 1 < Size; ++I) P[Len++] = S[I];
    P[Len] = 0;
  }
  void Add(const char* S) { Add(S, std::strlen(S)); }
  void Hex(uintptr_t V, int Digits = 16) {
    char B[16];
    for (int I = Digits - 1; I >= 0; --I, V >>= 4) B[I] = "0123456789ABCDEF"[V & 15];
    Add(B, static_cast<size_t>(Digits));
  }
  void Dec(long V) {
    char B[24];
    int N = 0;
    unsigned long U = V < 0 ? -static_cast<unsigned long>(V) : static_cast<unsigned long>(V);
    do B[N++] = static_cast<char>('0' + U % 10); while (U /= 10);
    if (V < 0) B[N++] = '-';
    while (N) Add(&B[--N], 1);
  }
  // Fmt with at most one "%s" (S) and one "%d" (D).
  void Format(const char* Fmt, const char* S, long D) {
    for (const char* F = Fmt; *F; ++F) {
      if (F[0] == '%' && F[1] == 's') {
        Add(S), ++F;
      } else if (F[0] == '%' && F[1] == 'd') {
        Dec(D), ++F;
      } else {
        Add(F, 1);
      }
    }
  }
  void Line() { Add("\r\n", 2); }
};

void Item(TTextOut& W, int Number, int Text, const char* Value) {
  W.Line();
  W.Add("  2.");
  W.Dec(Number);
  W.Add(" ");
  W.Add(Label(Text));
  W.Add(": ");
  W.Add(Value);
}

void ModuleCell(TTextOut& W, uintptr_t Address) {
  const char* Name;
  uintptr_t Handle;
  if (CrashModuleOf(Address, Name, Handle)) W.Add(Name);
}

void WriteAll(int Fd, const char* P, size_t N) {
  while (N > 0) {
    ssize_t W = ::write(Fd, P, N);
    if (W < 0 && errno == EINTR) continue;
    if (W <= 0) return;
    P += W;
    N -= static_cast<size_t>(W);
  }
}
}  // namespace

void PrepareCrashModules() {
  if (Preparing.test_and_set()) return;  // another thread is taking it now
  int Next = Published.load() == 0 ? 1 : 0;
  TCrashModules& T = Tables[Next];
  T.Count = 0;
  T.NamesUsed = 0;
  ::dl_iterate_phdr(AddCrashModule, &T);
  Published.store(Next);
  Preparing.clear();
}

void PrepareCrashReport(const TTarvikModuleOptions* O) {
  if (ReportPreparing.test_and_set()) return;
  int Next = ReportPublished.load() == 0 ? 1 : 0;
  TPreparedReport& R = Reports[Next];
  for (int I = 0; I < LabelCount; ++I)
    CopyText(R.Labels[I], sizeof R.Labels[I], O ? Utf8ToWin1252(O->GetText(LabelTexts[I])) : std::string());
  CopyText(R.LogFile, sizeof R.LogFile, O && O->SaveLogFile() ? O->OutputLogFile() : std::string());
  TModuleHandle Own = ReporterModuleHandle();
  CopyText(R.SharedNames[0], sizeof R.SharedNames[0], "/" + VirtualFileName(ProcessId(), Own, "EXCEPT"));
  CopyText(R.SharedNames[1], sizeof R.SharedNames[1], "/" + VirtualFileName(ProcessId(), Own, "MODULE"));
  ReportPublished.store(Next);
  ReportPreparing.clear();
}

bool CrashModuleOf(uintptr_t Address, const char*& Name, uintptr_t& Handle) {
  int P = Published.load();
  if (P < 0) return false;
  const TCrashModules& T = Tables[P];
  for (int I = 0; I < T.Count; ++I)
    if (Address >= T.Items[I].Start && Address < T.Items[I].End) {
      Name = T.Names + T.Items[I].Name;
      Handle = T.Items[I].Handle;
      return true;
    }
  return false;
}

size_t FormatCrashReport(const TCapturedException& C, char* Buffer, size_t Size) {
  TTextOut W{Buffer, Size};
  if (Size) Buffer[0] = 0;
  W.Add(TarvikText::ReportHeader);
  W.Line();
  W.Line();
  // Items 2.2 to 2.5, as the full report has them.
  char Items[2048];
  TTextOut I{Items, sizeof Items};
  char Address[17] = {};
  TTextOut A{Address, sizeof Address};
  A.Hex(C.ExceptionAddress);
  Item(I, 2, 26, C.ExceptionAddress ? Address : "");
  char Module[256] = {};
  TTextOut M{Module, sizeof Module};
  ModuleCell(M, C.ExceptionAddress);
  Item(I, 3, 27, Module);
  char Type[32] = "SIG";
  const char* Abbrev = ::sigabbrev_np(C.Signal);
  TTextOut T{Type, sizeof Type, 3};
  if (Abbrev)
    T.Add(Abbrev);
  else
    T.Dec(C.Signal);
  Item(I, 4, 28, Type);
  char Message[256] = {};
  TTextOut G{Message, sizeof Message};
  char Fault[17] = {};
  TTextOut F{Fault, sizeof Fault};
  F.Hex(C.FaultAddress);
  if (C.SignalCode > 0)
    G.Format(TarvikText::SignalFault, Fault, 0);
  else if (C.SenderPid == ::getpid())
    G.Add(TarvikText::SignalRaised);
  else
    G.Format(TarvikText::SignalSent, "", C.SenderPid);
  Item(I, 5, 29, Message);
  // The section's title and its underline as long as its longest item line.
  size_t Longest = 1, Run = 0;
  for (size_t K = 0; K < I.Len; ++K) {
    if (Items[K] == '\r' || Items[K] == '\n') {
      Run = 0;
      continue;
    }
    if (++Run > Longest) Longest = Run;
  }
  W.Add(Label(24));
  W.Add(":");
  W.Line();
  for (size_t K = 0; K < Longest; ++K) W.Add("-", 1);
  W.Add(Items, I.Len);
  W.Line();
  W.Line();
  // The frames: address and module.
  W.Add(Label(7));
  W.Add(":");
  W.Line();
  W.Add("|");
  W.Add(Label(47));
  W.Add("|");
  W.Add(Label(48));
  W.Add("|");
  for (int K = 0; K < C.Stack.Count; ++K) {
    uintptr_t At = CallSite(C.Stack.Frames[K]);
    W.Line();
    W.Add("|");
    W.Hex(At);
    W.Add("|");
    ModuleCell(W, At);
    W.Add("|");
  }
  W.Line();
  W.Line();
  // The modules of the frames, each once.
  W.Add(Label(9));
  W.Add(":");
  W.Line();
  W.Add("|");
  W.Add(Label(62));
  W.Add("|");
  W.Add(Label(63));
  W.Add("|");
  uintptr_t Listed[TTarvikRawStack::Capacity + 1];
  int ListedCount = 0;
  for (int K = -1; K < C.Stack.Count; ++K) {
    const char* Name;
    uintptr_t Handle;
    if (!CrashModuleOf(K < 0 ? C.ExceptionAddress : CallSite(C.Stack.Frames[K]), Name, Handle)) continue;
    bool Seen = false;
    for (int L = 0; L < ListedCount; ++L) Seen |= Listed[L] == Handle;
    if (Seen) continue;
    Listed[ListedCount++] = Handle;
    W.Line();
    W.Add("|");
    W.Hex(Handle);
    W.Add("|");
    W.Add(Name);
    W.Add("|");
  }
  W.Line();
  return W.Len;
}

void WriteCrashFallback(const TCapturedException& C) {
  // Static: the alternate signal stack is small.
  static char Text[32 * 1024];
  size_t N = FormatCrashReport(C, Text, sizeof Text);
  WriteAll(STDERR_FILENO, TarvikText::CrashReportStalled, std::strlen(TarvikText::CrashReportStalled));
  WriteAll(STDERR_FILENO, "\r\n", 2);
  WriteAll(STDERR_FILENO, Text, N);
  const TPreparedReport* R = Prepared();
  if (!R) return;
  if (R->LogFile[0]) {
    int Fd = ::open(R->LogFile, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (Fd >= 0) {
      // The log's holder rewrites it whole: a report appended under its feet would be lost.
      if (::flock(Fd, LOCK_EX | LOCK_NB) == 0) {
        WriteAll(Fd, "\r\n", 2);
        WriteAll(Fd, Text, N);
        WriteAll(Fd, "\r\n\r\n\r\n\r\n", 8);
      }
      ::close(Fd);
    }
  }
  for (const char* Name : R->SharedNames)
    if (Name[0]) ::shm_unlink(Name);
}
