#include "exceptions/report/TarvikDebugData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exceptions/base/TarvikOptions.h"
#include "exceptions/tools/DebugDataWriter.h"
#include "exceptions/tools/SymbolNames.h"
#include "platform/classes/ByteReader.h"

namespace {
using TBytes = std::vector<uint8_t>;

void Put32(TBytes& B, uint32_t V) {
  for (int I = 0; I < 4; ++I) B.push_back(static_cast<uint8_t>(V >> (8 * I)));
}

// A masked short string written by hand.
TBytes Masked(const std::string& S) {
  TBytes B{static_cast<uint8_t>(S.size())};
  for (char C : S) B.push_back(static_cast<uint8_t>(C) ^ 0xB5);
  return B;
}

TBytes Cat(std::initializer_list<TBytes> Parts) {
  TBytes R;
  for (const TBytes& P : Parts) R.insert(R.end(), P.begin(), P.end());
  return R;
}

struct TRecordCase {
  const char* What;
  TBytes Bytes;
  int Version;
  int LineDelta;
  uint32_t AddressDelta;
  bool HasName;
  std::string Name;
  size_t Consumed;
};

TEST(TarvikDebugDataTest, LineRecordsOfEveryFormDecode) {
  const TRecordCase Cases[] = {
      {"1 byte, smallest", {0x00}, 454, 1, 1, false, "", 1},
      {"1 byte, largest", {0xFE}, 454, 4, 32, false, "", 1},
      {"1 byte with name", Cat({{0xFD}, Masked("X")}), 454, 8, 8, true, "X", 3},
      {"1 byte with empty name", {0x01, 0x00}, 454, 1, 1, true, "", 2},
      {"2 bytes, largest", {0xF3, 0xFF}, 454, 32, 128, false, "", 2},
      {"2 bytes with name", Cat({{0x17, 0x08}, Masked("Ab")}), 454, 2, 2, true, "Ab", 5},
      // e = (4095 - 1) << 16 | (1000 - 1)
      {"4 bytes", {0x7B, 0x3E, 0xE0, 0xFF}, 454, 1000, 4095, false, "", 4},
      {"4 bytes, address 0xFFF covers nothing", {0x4B, 0x00, 0xF0, 0xFF}, 454, 5, 0, false, "", 4},
      {"4 bytes, line backwards", {0xCB, 0xFF, 0x9F, 0x00}, 454, -3, 10, false, "", 4},
      {"4 bytes, stored 0xFFFF is no line change", {0xFB, 0xFF, 0x0F, 0x00}, 454, 0, 1, false, "", 4},
      {"4 bytes with name", Cat({{0x4F, 0x00, 0xF0, 0xFF}, Masked(".Paint")}), 454, 5, 0, true, ".Paint", 11},
      {"escape", {0xEB, 0xFF, 0xEF, 0xFF, 0x33, 0x12, 0xFF, 0xFF}, 454, 0x1234, 65536, false, "", 8},
      {"escape, line backwards", {0xEB, 0xFF, 0xEF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}, 454, -1, 1, false, "", 8},
      {"no escape before version 423", {0xEB, 0xFF, 0xEF, 0xFF, 0x33, 0x12}, 422, -1, 4095, false, "", 4},
  };
  for (const TRecordCase& C : Cases) {
    TByteReader R(C.Bytes.data(), C.Bytes.size());
    TDebugLineRecord Rec = ReadDebugLineRecord(R, C.Version);
    EXPECT_EQ(Rec.LineDelta, C.LineDelta) << C.What;
    EXPECT_EQ(Rec.AddressDelta, C.AddressDelta) << C.What;
    EXPECT_EQ(Rec.HasName, C.HasName) << C.What;
    EXPECT_EQ(Rec.Name, C.Name) << C.What;
    EXPECT_EQ(R.Offset(), C.Consumed) << C.What;
  }
  for (TBytes Cut : {TBytes{0x03}, TBytes{0x0B, 0x00, 0x00}, TBytes{0xEB, 0xFF, 0xEF, 0xFF, 0x01}, TBytes{0x01, 0x05}}) {
    TByteReader R(Cut.data(), Cut.size());
    EXPECT_THROW(ReadDebugLineRecord(R, 454), EReadError);
  }
}

// Unit "Main" (no extension), start line 10, code 0x100..0x140:
//   0x100..0x104 line 10 TForm1.Create (the first name counts at once)
//   name ".Paint" (covers nothing): TForm1.Paint from here on
//   0x104..0x10C line 12, 0x10C..0x11C line 15, then back to 10 for the rest
TBytes HandUnit() {
  TBytes Lines = Cat({{static_cast<uint8_t>((2 - 1) << 5 | (4 - 1) << 2 | 1)}, Masked("TForm1.Create"),  // 1 byte, name
                      {0xFF, 0xFF, 0xFF, 0xFF}, Masked(".Paint"),  // 4 bytes: line 0, address 0xFFF, name
                      {static_cast<uint8_t>((3 - 1) << 6 | (8 - 1) << 1)},  // 1 byte
                      {0xFB, 0xFF, 0x0F, 0x00}});  // 4 bytes: -5 would be 0xFFFA; see below
  // Replace the last record: line -5, address 16: e = 15 << 16 | 0xFFFA.
  uint32_t D = (15u << 16 | 0xFFFA) << 4 | 0xB;
  Lines.resize(Lines.size() - 4);
  Put32(Lines, D);
  TBytes Unit = Masked("Main");
  Put32(Unit, 10);     // start line
  Put32(Unit, 0x100);  // code offset
  Put32(Unit, 0x40);   // code size
  Put32(Unit, static_cast<uint32_t>(Lines.size()));
  return Cat({Unit, Lines});
}

TBytes HandData(int Version, const TBytes& Index, const std::vector<TBytes>& Units) {
  TBytes B;
  if (Version > 404) {
    Put32(B, static_cast<uint32_t>(Index.size()));
    B.insert(B.end(), Index.begin(), Index.end());
  }
  Put32(B, static_cast<uint32_t>(Units.size()));
  for (const TBytes& U : Units) B.insert(B.end(), U.begin(), U.end());
  return B;
}

TEST(TarvikDebugDataTest, AUnitResolvesOffsetsToClassProcedureAndLine) {
  TBytes Index = Masked("TForm1.Paint");
  Put32(Index, 0x104);
  Put32(Index, 0);
  struct TCase {
    uint64_t Offset;
    bool Found;
    const char* Class;
    const char* Proc;
    uint32_t Line;
  } Cases[] = {
      {0xFF, false, "", "", 0},  {0x100, true, "TForm1", "Create", 10}, {0x103, true, "TForm1", "Create", 10},
      {0x104, true, "TForm1", "Paint", 12}, {0x10B, true, "TForm1", "Paint", 12}, {0x10C, true, "TForm1", "Paint", 15},
      {0x11C, true, "TForm1", "Paint", 10}, {0x13F, true, "TForm1", "Paint", 10}, {0x140, false, "", "", 0},
  };
  // Version 404 has no name index; 405 and later have one.
  for (int Version : {404, 405, 454}) {
    TTarvikDebugData Data(HandData(Version, Index, {HandUnit()}), Version);
    ASSERT_EQ(Data.UnitCount(), 1u);
    for (const TCase& C : Cases) {
      TDebugLineInfo Info;
      ASSERT_EQ(Data.FindLine(C.Offset, Info), C.Found) << Version << " " << C.Offset;
      if (!C.Found) continue;
      EXPECT_EQ(Info.UnitName, "Main.cpp");
      EXPECT_EQ(Info.ClassName, C.Class) << C.Offset;
      EXPECT_EQ(Info.ProcedureName, C.Proc) << C.Offset;
      EXPECT_EQ(Info.Line, C.Line) << C.Offset;
    }
    EXPECT_EQ(Data.FindProcedure("TForm1.Paint"), Version > 404 ? std::optional<uint32_t>(0x104) : std::nullopt);
    EXPECT_EQ(Data.FindProcedure("TForm1.paint"), std::nullopt);
  }
}

TEST(TarvikDebugDataTest, OverlappingUnitsAnswerInDataOrder) {
  TBytes Second = HandUnit();
  Second[1] ^= 'M' ^ 'X';  // "Xain": same range, later in the data
  TTarvikDebugData Data(HandData(454, {}, {HandUnit(), Second}), 454);
  TDebugLineInfo Info;
  ASSERT_TRUE(Data.FindLine(0x120, Info));
  EXPECT_EQ(Info.UnitName, "Main.cpp");
}

TEST(TarvikDebugDataTest, CompressedAndPlainBlocksGiveThePayload) {
  TBytes Payload{1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (int Version : {449, 450, 454}) {
    TBytes Block{0x10, 0xAB, 0x0F, 0x00, static_cast<uint8_t>(Version), static_cast<uint8_t>(Version >> 8)};
    for (int I = 0; I < 8; ++I) Block.push_back(static_cast<uint8_t>(0xA0 + I));
    TBytes Body = Version >= 450 ? DeflateZlib(Payload) : Payload;
    Block.insert(Block.end(), Body.begin(), Body.end());
    TTarvikDataBlock B = ParseTarvikDataBlock(Block.data(), Block.size());
    EXPECT_EQ(B.Version, Version);
    EXPECT_EQ(B.Stamp, 0xA7A6A5A4A3A2A1A0ull);
    EXPECT_EQ(TBytes(B.Payload.begin(), B.Payload.end()), Payload) << Version;
  }
  // The appended form: block (version, stamp, payload), its size, the magic.
  TBytes File{0xEE, 0xEE, 0x54, 0x01, 1, 0, 0, 0, 0, 0, 0, 0, 7, 7, 7};
  Put32(File, 13);
  Put32(File, TarvikDataMagic);
  TTarvikDataBlock A = ParseAppendedDataBlock(File.data(), File.size());
  EXPECT_EQ(A.Version, 0x154);
  EXPECT_EQ(A.Stamp, 1u);
  EXPECT_EQ(TBytes(A.Payload.begin(), A.Payload.end()), (TBytes{7, 7, 7}));
}

TEST(TarvikDebugDataTest, DamagedBlocksRaiseReadErrors) {
  TBytes Good{0x10, 0xAB, 0x0F, 0x00, 0xC6, 0x01, 0, 0, 0, 0, 0, 0, 0, 0};
  TBytes Packed = DeflateZlib(TBytes(1000, 'a'));
  struct TCase {
    const char* What;
    TBytes Bytes;
    const char* Message;
  } Cases[] = {
      {"short", TBytes(Good.begin(), Good.begin() + 10), "shorter than its header"},
      {"magic", Cat({{0x11}, TBytes(Good.begin() + 1, Good.end())}), "signature"},
      {"not zlib", Cat({Good, {1, 2, 3}}), "cannot be inflated"},
      {"zlib cut short", Cat({Good, TBytes(Packed.begin(), Packed.begin() + Packed.size() / 2)}), "cannot be inflated"},
  };
  for (const TCase& C : Cases) {
    try {
      ParseTarvikDataBlock(C.Bytes.data(), C.Bytes.size());
      ADD_FAILURE() << C.What;
    } catch (const EReadError& E) {
      EXPECT_NE(E.Message().find(C.Message), std::string::npos) << C.What << ": " << E.Message();
    }
  }
  TBytes Appended{0, 0, 0};
  Put32(Appended, 500);
  Put32(Appended, TarvikDataMagic);
  EXPECT_THROW(ParseAppendedDataBlock(Appended.data(), Appended.size()), EReadError);
  EXPECT_THROW(InflateZlib(DeflateZlib(TBytes(100000, 0)).data(), DeflateZlib(TBytes(100000, 0)).size(), 50000),
               EReadError);
}

TEST(TarvikDebugDataTest, DamagedDebugDataRaisesAClearReadError) {
  TBytes Unit = HandUnit();
  TBytes Good = HandData(454, {}, {Unit});
  // Offsets in Good: 0 index size, 4 unit count, 8 unit name (5 bytes), 13 start line, 17 offset,
  // 21 size, 25 line data size, 29 line data.
  auto With = [&](size_t At, TBytes Bytes) {
    TBytes B = Good;
    std::copy(Bytes.begin(), Bytes.end(), B.begin() + static_cast<long>(At));
    return B;
  };
  struct TCase {
    const char* What;
    TBytes Bytes;
    const char* Message;  // empty: the header reads, the lookup raises
    const char* LookupMessage;
  } Cases[] = {
      {"index larger than the data", With(0, {0xFF, 0xFF, 0, 0}), "name index runs past", ""},
      {"unit count too large", With(4, {0xFF, 0xFF, 0xFF, 0x0F}), "unit count", ""},
      {"line data past the end", With(25, {0xFF, 0, 0, 0}), "runs past the end", ""},
      {"cut inside the unit", TBytes(Good.begin(), Good.begin() + 28), "runs past the end", ""},
      {"records leave the unit", With(21, {0x08, 0, 0, 0}), "", "leave its code range"},
      {"record cut inside the line data", With(25, {0x09, 0, 0, 0}), "", ""},
  };
  for (const TCase& C : Cases) {
    try {
      TTarvikDebugData Data(C.Bytes, 454);
      EXPECT_STREQ(C.Message, "") << C.What;
      TDebugLineInfo Info;
      try {
        Data.FindLine(0x100, Info);
        Data.FindLine(0x107, Info);
        ADD_FAILURE() << C.What << ": the lookup did not raise";
      } catch (const EReadError& E) {
        EXPECT_NE(E.Message().find(*C.LookupMessage ? C.LookupMessage : "unit \"Main.cpp\""), std::string::npos)
            << C.What << ": " << E.Message();
      }
    } catch (const EReadError& E) {
      EXPECT_NE(*C.Message, 0) << C.What << ": " << E.Message();
      EXPECT_NE(E.Message().find(C.Message), std::string::npos) << C.What << ": " << E.Message();
    }
  }
  // Truncated anywhere: an error, never a read outside the bytes (the sanitizers watch).
  for (size_t N = 0; N < Good.size(); ++N) {
    try {
      TTarvikDebugData Data(TBytes(Good.begin(), Good.begin() + static_cast<long>(N)), 454);
      TDebugLineInfo Info;
      for (uint64_t O = 0xFF; O <= 0x140; ++O) Data.FindLine(O, Info);
    } catch (const EReadError&) {
    }
  }
}

// The writer against the reader: every row's first and last byte give its line and procedure.
TEST(TarvikDebugDataTest, WrittenUnitsReadBackRowByRow) {
  TDebugUnit U;
  U.Name = "lxreport/LXPrntr.cpp";
  U.Start = 0x2000;
  U.Rows = {{0x2000, 40, "TLXPrinter.BeginDoc"}, {0x2004, 41, "TLXPrinter.BeginDoc"},
            {0x2005, 41, "TLXPrinter.EndDoc"},   {0x2100, 30, "TLXPrinter.EndDoc"},   // backwards
            {0x2200, 30, "TLXPrinter.EndDoc"},   {0x12300, 70000, "Free"},           // far in both
            {0x12301, 3, ""},                    {0x12310, 3, "ns::Other.Run"},      // no procedure; other class
            {0x12311, 0, "ns::Other.Run"},       {0x13000, 65, "TLXPrinter.Print"}};
  U.End = 0x13010;
  TDebugUnit Single{"one.h", 0x20000, 0x20001, {{0x20000, 7, "Tiny"}}};
  TDebugUnit Anonymous{"two", 0x30000, 0x30010, {{0x30000, 1, ""}, {0x30008, 2, ""}}};
  TDebugModel Model{{U, Single, Anonymous}, {{"TLXPrinter.EndDoc", 0x2005}, {"Free", 0x12300}}};
  TTarvikDebugData Data(EncodeDebugData(Model), TarvikLogDataVersion);
  for (const TDebugUnit& Unit : Model.Units)
    for (size_t I = 0; I < Unit.Rows.size(); ++I) {
      const TDebugRow& Row = Unit.Rows[I];
      uint32_t Last = (I + 1 < Unit.Rows.size() ? Unit.Rows[I + 1].Offset : Unit.End) - 1;
      for (uint32_t Offset : {Row.Offset, Last}) {
        TDebugLineInfo Info;
        ASSERT_TRUE(Data.FindLine(Offset, Info)) << Offset;
        std::string Proc = Info.ClassName.empty() ? Info.ProcedureName : Info.ClassName + "." + Info.ProcedureName;
        EXPECT_EQ(Proc, Row.Procedure) << std::hex << Offset;
        EXPECT_EQ(Info.Line, Row.Line) << std::hex << Offset;
        EXPECT_EQ(Info.UnitName, Unit.Name == "two" ? "two.cpp" : Unit.Name);
      }
    }
  TDebugLineInfo Info;
  EXPECT_FALSE(Data.FindLine(0x13010, Info));
  EXPECT_EQ(Data.FindProcedure("Free"), 0x12300u);
  // A long name is cut at 255 bytes.
  TDebugModel Long{{{"u", 0, 4, {{0, 1, std::string(300, 'n')}}}}, {}};
  TTarvikDebugData LongData(EncodeDebugData(Long), TarvikLogDataVersion);
  ASSERT_TRUE(LongData.FindLine(0, Info));
  EXPECT_EQ(Info.ProcedureName, std::string(255, 'n'));
}

TEST(TarvikDebugDataTest, TheWriterPicksTheSmallestRecord) {
  std::string N = "n";
  struct TCase {
    int Line;
    uint32_t Address;
    bool Name;
    size_t Bytes;  // without the name
  } Cases[] = {{1, 1, false, 1},     {4, 32, false, 1},  {5, 1, false, 2},    {1, 8, true, 1},   {1, 9, true, 2},
               {32, 128, false, 2},  {33, 1, false, 4},  {0, 1, false, 4},    {-1, 5, false, 4}, {1, 0, false, 4},
               {1, 4095, false, 4},  {1, 4096, false, 8}, {-1, 4095, false, 8}, {1, 65536, false, 8},
               {1, 65537, false, 9}, {40000, 1, false, 12}};
  for (const TCase& C : Cases) {
    TBytes Out;
    WriteLineRecord(Out, C.Line, C.Address, C.Name ? &N : nullptr);
    EXPECT_EQ(Out.size(), C.Bytes + (C.Name ? 2 : 0)) << C.Line << " " << C.Address;
    // Whatever the records, together they move by the deltas.
    TByteReader R(Out.data(), Out.size());
    int Line = 0;
    uint32_t Address = 0;
    while (!R.AtEnd()) {
      TDebugLineRecord Rec = ReadDebugLineRecord(R, TarvikLogDataVersion);
      Line += Rec.LineDelta;
      Address += Rec.AddressDelta;
    }
    EXPECT_EQ(Line, C.Line);
    EXPECT_EQ(Address, C.Address);
  }
}

TEST(TarvikDebugDataTest, FunctionNamesLoseReturnTypesAndParameters) {
  struct TCase {
    const char* Demangled;
    const char* Qualified;
    bool Member;
    const char* Dotted;
  } Cases[] = {
      {"ns::Klass::method(int)", "ns::Klass::method", true, "ns::Klass.method"},
      {"ns::func(char const*)", "ns::func", false, "ns::func"},
      {"int const& std::max<int>(int const&, int const&)", "std::max<int>", false, "std::max<int>"},
      {"void std::_Destroy_aux<true>::__destroy<int*>(int*, int*)", "std::_Destroy_aux<true>::__destroy<int*>", true,
       "std::_Destroy_aux<true>.__destroy<int*>"},
      {"std::vector<int, std::allocator<int> >::operator[](unsigned long)",
       "std::vector<int, std::allocator<int> >::operator[]", true, "std::vector<int, std::allocator<int> >.operator[]"},
      {"sample::Lambdas(int)::{lambda(int)#1}::operator()(int) const", "sample::Lambdas(int)::{lambda(int)#1}::operator()",
       true, "sample::Lambdas(int)::{lambda(int)#1}.operator()"},
      {"ns::Klass::operator<(ns::Klass const&) const", "ns::Klass::operator<", true, "ns::Klass.operator<"},
      {"Foo::operator bool() const", "Foo::operator bool", true, "Foo.operator bool"},
      {"operator new(unsigned long)", "operator new", false, "operator new"},
      {"(anonymous namespace)::Hidden(int)", "(anonymous namespace)::Hidden", false, "(anonymous namespace)::Hidden"},
      {"foo() [clone .cold]", "foo", false, "foo"},
      {"main", "main", false, "main"},
      {"Tmpl<1.5>::run()", "Tmpl<1.5>::run", true, "Tmpl<1_5>.run"},
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(QualifiedFunctionName(C.Demangled), C.Qualified) << C.Demangled;
    EXPECT_EQ(DottedProcedureName(C.Qualified, C.Member), C.Dotted) << C.Demangled;
  }
}
}  // namespace
