#include "exceptions/report/TarvikModules.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

#include "exceptions/base/TarvikState.h"
#include "exceptions/base/TarvikTrace.h"
#include "exceptions/base/TarvikUtils.h"
#include "exceptions/tools/DebugDataWriter.h"
#include "exceptions/tools/SymbolNames.h"
#include "platform/classes/Streams.h"
#include "platform/sys/ElfFile.h"
#include "platform/sys/Process.h"
#include "tests/exceptions/ReporterTestSupport.h"

namespace probe {
struct TProbe {
  __attribute__((noinline)) static uintptr_t Here();
};
uintptr_t TProbe::Here() { return reinterpret_cast<uintptr_t>(__builtin_return_address(0)); }
}  // namespace probe

namespace {
// A loaded copy of the sample library and the addresses it noted: each return address less one
// (inside the call), then the first bytes of three exported functions.
class TSample {
public:
  explicit TSample(const std::string& Path) : FPath(Path) {
    FLib = ::dlopen(Path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!FLib) return;
    auto Collect = reinterpret_cast<int (*)(uintptr_t*, int)>(::dlsym(FLib, "SampleCollect"));
    uintptr_t Noted[64];
    int N = Collect(Noted, 64);
    for (int I = 0; I < N; ++I) FAddresses.push_back(Noted[I] - 1);
    for (const char* Symbol : {"SampleCollect", "_ZN6sample12FreeFunctionEi", "_ZNK6sample6Square4AreaEv"})
      FAddresses.push_back(reinterpret_cast<uintptr_t>(::dlsym(FLib, Symbol)));
    FHandle = ModuleOfAddress(reinterpret_cast<const void*>(FAddresses.front()));
  }
  ~TSample() {
    if (FLib) ::dlclose(FLib);
  }
  bool Loaded() const { return FLib != nullptr; }
  const std::string& Path() const { return FPath; }
  TModuleHandle Handle() const { return FHandle; }
  const std::vector<uintptr_t>& Addresses() const { return FAddresses; }

private:
  std::string FPath;
  void* FLib = nullptr;
  TModuleHandle FHandle = 0;
  std::vector<uintptr_t> FAddresses;
};

// What addr2line of binutils says of an address: the outermost function of the inlining chain
// (parameters dropped) and its file and line.
struct TLocation {
  std::string Function, File;
  uint32_t Line = 0;
};

std::vector<TLocation> Addr2Line(const std::string& File, const std::vector<uint64_t>& Addresses) {
  std::string Command = "addr2line -a -C -f -i -e '" + File + "'";
  for (uint64_t A : Addresses) Command += " 0x" + IntToHex(A, 1);
  std::vector<TLocation> Result;
  FILE* P = ::popen(Command.c_str(), "r");
  if (!P) return Result;
  char Buf[4096];
  std::vector<std::string> Lines;
  while (std::fgets(Buf, sizeof Buf, P)) {
    std::string L = Buf;
    while (!L.empty() && (L.back() == '\n' || L.back() == '\r')) L.pop_back();
    Lines.push_back(L);
  }
  ::pclose(P);
  for (size_t I = 0; I < Lines.size();) {
    // "0x...", then pairs of function and "file:line (discriminator n)" lines.
    ++I;
    TLocation Loc;
    while (I + 1 < Lines.size() && Lines[I].compare(0, 2, "0x") != 0) {
      Loc.Function = QualifiedFunctionName(Lines[I]);
      std::string Where = Lines[I + 1];
      Where = Where.substr(0, Where.find(" ("));
      size_t Colon = Where.rfind(':');
      Loc.File = std::filesystem::path(Where.substr(0, Colon)).filename().string();
      Loc.Line = static_cast<uint32_t>(std::atoi(Where.c_str() + Colon + 1));
      I += 2;
    }
    Result.push_back(Loc);
  }
  return Result;
}

std::string Qualified(const TTarvikDebugInfo& D) {
  return D.ClassName.empty() ? D.ProcedureName : D.ClassName + "::" + D.ProcedureName;
}

TTarvikDebugInfo Resolve(uintptr_t A) {
  TTarvikDebugInfo D;
  GetDebugInfo(A, D);
  return D;
}

TEST(TarvikModulesTest, TheTestProgramResolvesItsOwnAddresses) {
  ASSERT_TRUE(ReporterInstalled()) << "the test program carries reporter data";
  uintptr_t Return = probe::TProbe::Here();
  int Line = __LINE__ - 1;
  TTarvikDebugInfo D = Resolve(Return - 1);
  ASSERT_EQ(D.Kind, dkDebugData);
  EXPECT_EQ(D.UnitName, "tests/exceptions/TarvikModulesTest.cpp");
  EXPECT_EQ(D.Line, static_cast<uint32_t>(Line));
  EXPECT_EQ(D.ProcedureName, "TestBody");
  ASSERT_NE(D.Module, nullptr);
  EXPECT_EQ(D.Module->Handle, MainModuleHandle());
  EXPECT_EQ(D.Module->FileName, ProgramPath());
  EXPECT_EQ(D.Module->Kind, mkProgram);
  EXPECT_EQ(D.Module->DataVersion, TarvikLogDataVersion);
  EXPECT_NE(D.Module->DataStamp, 0u);
  EXPECT_EQ(D.Module->Description, "Mivo Open Report");
  EXPECT_EQ(D.Module->Version, "0.1.0.0");
  EXPECT_EQ(D.Module->Options.get(), &CurrentTarvikLogOptions());
  // The name index finds the reporter's own procedures.
  EXPECT_EQ(FindProcedureByName("probe::TProbe.Here"), reinterpret_cast<uintptr_t>(&probe::TProbe::Here));
  EXPECT_EQ(FindProcedureByName("probe::TProbe.Nowhere"), 0u);
}

TEST(TarvikModulesTest, SampleAddressesResolveAsAddr2LineSays) {
  TSample S(MOR_DEBUG_SAMPLE);
  ASSERT_TRUE(S.Loaded()) << ::dlerror();
  ASSERT_GE(S.Addresses().size(), 12u);
  std::vector<uint64_t> Link;
  for (uintptr_t A : S.Addresses()) Link.push_back(A - S.Handle() + TElfFile::Open(S.Path())->ImageBase());
  std::vector<TLocation> Expected = Addr2Line(S.Path(), Link);
  ASSERT_EQ(Expected.size(), S.Addresses().size());
  std::map<std::string, std::string> UnitsOfProcedures;
  for (size_t I = 0; I < Expected.size(); ++I) {
    TTarvikDebugInfo D = Resolve(S.Addresses()[I]);
    ASSERT_EQ(D.Kind, dkDebugData) << I;
    EXPECT_EQ(D.Module->Handle, S.Handle());
    EXPECT_EQ(std::filesystem::path(D.UnitName).filename().string(), Expected[I].File) << I;
    EXPECT_EQ(D.Line, Expected[I].Line) << I << " " << Qualified(D);
    EXPECT_EQ(Qualified(D), Expected[I].Function) << I;
    UnitsOfProcedures[D.ClassName + "|" + D.ProcedureName] = D.UnitName;
  }
  // Members split into class and method; the units are the project's paths.
  std::map<std::string, std::string> Want = {
      {"sample::Square|Area", "tests/exceptions/DebugSample.cpp"},
      {"sample::Shape|Count", "tests/exceptions/DebugSample.cpp"},
      {"|sample::FreeFunction", "tests/exceptions/DebugSample.cpp"},  // also the inlined call's site
      {"|(anonymous namespace)::Hidden", "tests/exceptions/DebugSample.cpp"},
      {"sample::Lambdas(int)::{lambda(int)#1}|operator()", "tests/exceptions/DebugSample.cpp"},
      {"sample::Holder<int>|Touch", "tests/exceptions/DebugSample.h"},
      {"|sample::OtherFile", "tests/exceptions/DebugSampleMore.cpp"},
      {"|SampleCollect", "tests/exceptions/DebugSample.cpp"},
  };
  for (const auto& [Proc, Unit] : Want) EXPECT_EQ(UnitsOfProcedures[Proc], Unit) << Proc;
  TTarvikModuleInfo* M = FindModuleRecord(S.Handle());
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(M->Kind, mkLibrary);
  EXPECT_EQ(M->Description, "Debug data sample");
  EXPECT_EQ(M->Version, "1.2.3.0");
  EXPECT_EQ(M->Size, GetFileSize(S.Path()));
  EXPECT_EQ(GetModuleDirectory(*M), std::filesystem::path(S.Path()).parent_path().string());
  EXPECT_GT(M->Functions.Count(), 0);
}

TEST(TarvikModulesTest, TheDataSurvivesStrip) {
  TSample S(MOR_DEBUG_SAMPLE);
  ASSERT_TRUE(S.Loaded());
  TTempName Stripped("stripped.so");
  ASSERT_EQ(std::system(("strip --strip-all -o '" + Stripped.Path() + "' '" + S.Path() + "'").c_str()), 0);
  ASSERT_EQ(TElfFile::Open(Stripped.Path())->FindSection(".debug_info"), nullptr);
  ASSERT_TRUE(IsTarvikLogFile(Stripped.Path()));
  TTarvikModuleInfo Copy;
  Copy.Handle = S.Handle();  // the same code, mapped where the loaded one is
  Copy.FileName = Stripped.Path();
  Copy.Options = std::make_unique<TTarvikModuleOptionsEx>(Copy.FileName, 0);
  ASSERT_TRUE(LoadDebugInformation(Copy));
  for (uintptr_t A : S.Addresses()) {
    TTarvikDebugInfo FromCopy, FromOriginal = Resolve(A);
    ASSERT_TRUE(FindLineInfo(Copy, A, FromCopy));
    EXPECT_EQ(Qualified(FromCopy), Qualified(FromOriginal));
    EXPECT_EQ(FromCopy.UnitName, FromOriginal.UnitName);
    EXPECT_EQ(FromCopy.Line, FromOriginal.Line);
  }
}

TEST(TarvikModulesTest, AModuleWithoutDataFallsBackToDemangledExportNames) {
  TSample S(MOR_EXPORT_SAMPLE);
  ASSERT_TRUE(S.Loaded()) << ::dlerror();
  EXPECT_FALSE(IsTarvikLogFile(S.Path()));
  std::map<std::string, int> Kinds;
  for (uintptr_t A : S.Addresses()) {
    TTarvikDebugInfo D = Resolve(A);
    ASSERT_GE(D.Kind, dkModule);
    EXPECT_EQ(D.Module->Handle, S.Handle());
    EXPECT_EQ(D.Line, 0u);
    EXPECT_EQ(D.UnitName, "");
    Kinds[D.ProcedureName] = D.Kind;
  }
  EXPECT_EQ(Kinds["SampleCollect"], dkExportName);
  EXPECT_EQ(Kinds["sample::Square::Area() const"], dkExportName);
  EXPECT_EQ(Kinds["sample::FreeFunction(int)"], dkExportName);
  EXPECT_EQ(Kinds["sample::Holder<int>::Touch()"], dkExportName);
  // The hidden function is no export: its address names only the module.
  EXPECT_EQ(Kinds[""], dkModule);
  TTarvikModuleInfo* M = FindModuleRecord(S.Handle());
  ASSERT_NE(M, nullptr);
  EXPECT_EQ(M->DebugData, nullptr);
  EXPECT_EQ(M->DataVersion, TarvikLogDataVersion);
  EXPECT_EQ(M->DataStamp, 0u);
  EXPECT_EQ(M->Description, "");
  EXPECT_EQ(M->Version, "");
}

TEST(TarvikModulesTest, AFunctionsEndIsOutsideIt) {
  TTarvikFunctionsList L;
  L.Add({"b", 0x1010, 0x20});
  L.Add({"a", 0x1000, 0x10});
  L.Add({"alias of b", 0x1010, 0x20});
  L.Add({"empty", 0x2000, 0});
  L.Add({"outer", 0x3000, 0x100});
  L.Add({"label inside outer", 0x3080, 0x10});
  L.SortByAddress();
  struct TCase {
    uintptr_t Address;
    const char* Name;
  } Cases[] = {{0xFFF, nullptr},   {0x1000, "a"},      {0x100F, "a"}, {0x1010, "b"},
               {0x102F, "b"},      {0x1030, nullptr},  {0x2000, nullptr}, {0x3090, "outer"},
               {0x3085, "label inside outer"}, {0x3100, nullptr}};
  for (const TCase& C : Cases) {
    int I = L.IndexOfAddress(C.Address);
    EXPECT_EQ(I >= 0 ? L.Items(I).Name : std::string("-"), C.Name ? C.Name : "-") << std::hex << C.Address;
  }
}

TEST(TarvikModulesTest, ExportNamesSplitAsTheirManglingSays) {
  struct TCase {
    const char* Name;
    uint8_t Kind;
    const char* Unit;
    const char* Class;
    const char* Proc;
  } Cases[] = {
      {"@Unit@Class@Method$qqrv", dkExportSplit, "Unit.cpp", "Class", "Method"},
      {"@System@@HandleFinally$qqrv", dkExportSplit, "System.cpp", "", "_HandleFinally"},
      {"@Unit@Proc$qqri", dkExportSplit, "Unit.cpp", "", "Proc"},
      {"@Foo$qqrv", dkExportName, "", "", "Foo"},
      {"Unit.Class.Method@8", dkExportSplit, "Unit.cpp", "Class", "Method"},
      {"Unit.Proc", dkExportSplit, "Unit.cpp", "", "Proc"},
      {"a.b.c.d", dkModule, "", "", ""},
      {"ns::f(int)", dkExportName, "", "", "ns::f(int)"},
      {"@x", dkExportName, "", "", "_x"},
      {"?weird@@YAXXZ", dkModule, "", "", ""},
  };
  for (const TCase& C : Cases) {
    TTarvikDebugInfo D;
    D.Kind = dkModule;
    ParseExportName(C.Name, D);
    EXPECT_EQ(D.Kind, C.Kind) << C.Name;
    EXPECT_EQ(D.UnitName, C.Unit) << C.Name;
    EXPECT_EQ(D.ClassName, C.Class) << C.Name;
    EXPECT_EQ(D.ProcedureName, C.Proc) << C.Name;
  }
  EXPECT_EQ(DemangleSymbolName("_ZN6sample6Square4AreaEv.cold"), "sample::Square::Area()");
  EXPECT_EQ(DemangleSymbolName("_ZNK6sample6Square4AreaEv"), "sample::Square::Area() const");
  EXPECT_EQ(DemangleSymbolName("_Z3foov.isra.0"), "foo()");
  EXPECT_EQ(AddressText(0x401000), "0000000000401000");
}

TEST(TarvikModulesTest, RecordsFollowTheLoadedModules) {
  EXPECT_EQ(FindModuleRecord(0), nullptr);
  int Local = 0;
  EXPECT_EQ(FindModuleRecordOf(reinterpret_cast<uintptr_t>(&Local)), nullptr);
  TTarvikDebugInfo D = Resolve(reinterpret_cast<uintptr_t>(&Local));
  EXPECT_EQ(D.Kind, dkAddress);
  EXPECT_EQ(D.Module, nullptr);
  EXPECT_EQ(D.Address, reinterpret_cast<uintptr_t>(&Local));
  EXPECT_EQ(GetModuleKind(MainModuleHandle()), mkProgram);
  EXPECT_EQ(GetModuleKind(ModuleOfAddress(reinterpret_cast<const void*>(&::getpid))), mkLibrary);
  EXPECT_EQ(GetModuleKind(reinterpret_cast<uintptr_t>(&Local)), mkUnknown);

  TModuleHandle Handle;
  RefreshModules();  // records of samples that earlier tests unloaded go
  {
    TSample S(MOR_EXPORT_SAMPLE);
    ASSERT_TRUE(S.Loaded());
    Handle = S.Handle();
    RefreshModules();
    TTarvikModulesList& L = *ReporterModules();
    int I = L.IndexOfHandle(Handle);
    ASSERT_GE(I, 0);
    // Enumeration adds bare records; a lookup completes them.
    EXPECT_EQ(L.Items(I)->Kind, mkUnknown);
    EXPECT_EQ(L.Items(I)->Functions.Count(), 0);
    EXPECT_EQ(L.Items(I)->FileName, S.Path());
    for (int J = 1; J < L.Count(); ++J) EXPECT_LT(L.Items(J - 1)->Handle, L.Items(J)->Handle);
    TTarvikModuleInfo* M = FindModuleRecord(Handle);
    EXPECT_EQ(M->Kind, mkLibrary);
    EXPECT_GT(M->Functions.Count(), 0);
    EXPECT_FALSE(EnumeratingModules());
  }
  RefreshModules();
  EXPECT_LT(ReporterModules()->IndexOfHandle(Handle), 0);
  EXPECT_GE(ReporterModules()->IndexOfHandle(MainModuleHandle()), 0);
  EXPECT_EQ(&CurrentTarvikLogOptions(), FindModuleRecord(MainModuleHandle())->Options.get());
}

TEST(TarvikModulesTest, DamagedLineDataIsAnInternalErrorAndLinesStop) {
  TSample S(MOR_DEBUG_SAMPLE);
  ASSERT_TRUE(S.Loaded());
  TTraceScope Trace({"DEBUG"});
  TTarvikModuleInfo M;
  M.Handle = S.Handle();
  M.FileName = "damaged.so";
  // A unit of 8 bytes whose first record covers 16.
  TDebugModel Model{{{"damaged.cpp", 0, 8, {{0, 1, "f"}, {0x10, 2, "f"}}}}, {}};
  std::vector<uint8_t> Bytes = EncodeDebugData(Model);
  M.DebugData = std::make_unique<TTarvikDebugData>(Bytes, TarvikLogDataVersion);
  TTarvikDebugInfo D;
  EXPECT_FALSE(FindLineInfo(M, M.Handle + DebugCodeBase + 4, D));
  EXPECT_EQ(M.DebugData, nullptr);
  std::string Lines;
  for (const std::string& L : TraceLines()) Lines += L + "\n";
  EXPECT_NE(Lines.find("[ERROR] - Section: GetDebugInfo - Message: \"The debug data of \"damaged.so\" is damaged: the "
                       "line records of unit \"damaged.cpp\" leave its code range"),
            std::string::npos)
      << Lines;
  EXPECT_FALSE(FindLineInfo(M, M.Handle + DebugCodeBase + 4, D));
}

TEST(TarvikModulesTest, ReporterDataAppendedToAFileIsReadAndDamageIsReported) {
  TTempName File("appended.bin");
  auto Write = [&](bool Damaged) {
    TTarvikModuleOptions Options("", 0);
    Options.SetSmtpHost("smtp.anexo");
    TMemoryStream S;
    S.WriteBuffer("ELF? no: any file", 17);
    S.WriteUInt16(TarvikLogDataVersion);
    S.WriteInt64(77);
    int64_t Start = S.Position() - 10;
    Options.SaveToStream(S);
    TDebugModel Model{{{"a.cpp", 0, 0x10, {{0, 5, "A.f"}}}}, {}};
    std::vector<uint8_t> Debug = EncodeDebugData(Model);
    S.WriteUInt32(static_cast<uint32_t>(Debug.size() + (Damaged ? 100 : 0)));
    S.WriteBuffer(Debug.data(), static_cast<int64_t>(Debug.size()));
    S.WriteUInt32(static_cast<uint32_t>(S.Position() - Start));
    S.WriteUInt32(TarvikDataMagic);
    S.SaveToFile(File.Path());
  };
  Write(false);
  EXPECT_TRUE(IsTarvikLogFile_Old(File.Path()));
  EXPECT_FALSE(IsTarvikLogFile(File.Path()));
  TTarvikModuleInfo M;
  M.FileName = File.Path();
  M.Options = std::make_unique<TTarvikModuleOptionsEx>(M.FileName, 0);
  ASSERT_TRUE(LoadDebugInformation(M));
  EXPECT_EQ(M.DataStamp, 77u);
  EXPECT_EQ(M.Options->SmtpHost(), "smtp.anexo");
  TTarvikDebugInfo D;
  ASSERT_TRUE(FindLineInfo(M, DebugCodeBase + 3, D));
  EXPECT_EQ(D.ClassName + "." + D.ProcedureName + ":" + std::to_string(D.Line), "A.f:5");

  Write(true);
  TTraceScope Trace({"DEBUG"});
  TTarvikModuleInfo Bad;
  Bad.FileName = File.Path();
  Bad.Options = std::make_unique<TTarvikModuleOptionsEx>(Bad.FileName, 0);
  EXPECT_FALSE(LoadDebugInformation(Bad));
  EXPECT_EQ(Bad.DebugData, nullptr);
  EXPECT_EQ(Bad.DataVersion, TarvikLogDataVersion);
  EXPECT_EQ(Bad.DataStamp, 0u);
  std::string Lines;
  for (const std::string& L : TraceLines()) Lines += L + "\n";
  EXPECT_NE(Lines.find("Section: LoadDebugInformation - Message: \"The debug data of \"" + File.Path() +
                       "\" is damaged: the payload ends inside its debug data"),
            std::string::npos)
      << Lines;
}
}  // namespace
