#include "platform/classes/Filer.h"

#include <gtest/gtest.h>

#include <limits>

#include <memory>
#include <thread>

#include "platform/classes/ClassesConsts.h"
#include "platform/classes/ObjectText.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/RtlMath.h"
#include "tests/platform/classes/FilerTestClasses.h"

namespace {
using TOwnedComponent = std::unique_ptr<TComponent, TComponentDeleter>;

class FilerTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterFilerClasses();
    LoadedLog.clear();
  }
  void TearDown() override {
    UnRegisterClass(TForm::StaticClassInfo());
    UnRegisterClass(TWidget::StaticClassInfo());
  }

  static std::vector<uint8_t> WriteBinary(TComponent* Root) {
    TMemoryStream M;
    WriteComponentToStream(M, Root);
    return M.Bytes();
  }

  static TOwnedComponent ReadBinary(const std::vector<uint8_t>& Bytes, TReader** Hooked = nullptr) {
    TBytesStream S(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    TReader R(S);
    if (Hooked) *Hooked = &R;
    return TOwnedComponent(R.ReadRootComponent(nullptr));
  }

  static std::string ToText(const std::vector<uint8_t>& Bytes) {
    TBytesStream In(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    TMemoryStream Out;
    ObjectBinaryToText(In, Out);
    return std::string(Out.Bytes().begin(), Out.Bytes().end());
  }

  static std::vector<uint8_t> FromText(const std::string& Text) {
    TBytesStream In(Text.data(), static_cast<int64_t>(Text.size()));
    TMemoryStream Out;
    ObjectTextToBinary(In, Out);
    return Out.Bytes();
  }
};
}  // namespace

TEST_F(FilerTest, BinaryRoundTripIsByteIdenticalAndRestoresEveryKind) {
  auto Tree = MakeTree();
  std::vector<uint8_t> A = WriteBinary(Tree.get());
  auto Copy = ReadBinary(A);
  EXPECT_EQ(WriteBinary(Copy.get()), A);

  auto* Form = dynamic_cast<TForm*>(Copy.get());
  ASSERT_NE(Form, nullptr);
  EXPECT_EQ(Form->Name(), "Form1");
  EXPECT_EQ(Form->Tag(), 42);
  ASSERT_EQ(Form->ComponentCount(), 3);
  auto* W1 = dynamic_cast<TWidget*>(Form->FindComponent("W1"));
  auto* W2 = dynamic_cast<TWidget*>(Form->FindComponent("W2"));
  auto* W3 = dynamic_cast<TWidget*>(Form->FindComponent("W3"));
  ASSERT_TRUE(W1 && W2 && W3);
  EXPECT_EQ(W1->Small, -5);
  EXPECT_EQ(W1->Medium, 1000);
  EXPECT_EQ(W1->Large, -100000);
  EXPECT_EQ(W1->Huge, 10000000000LL);
  EXPECT_EQ(W1->Letter, 'z');
  EXPECT_EQ(W1->Tone, toHigh);
  EXPECT_EQ(W1->Tones, (1u << toLow) | (1u << toHigh));
  EXPECT_TRUE(W1->Flag);
  EXPECT_EQ(W1->Ext, 0.1L);  // all 80 bits survive
  EXPECT_EQ(W1->Single, 1.25f);
  EXPECT_EQ(W1->Date, 45000.5);
  EXPECT_EQ(Round(W1->Money * 10000), 123456);
  EXPECT_EQ(W1->Text, "Relatório €");
  EXPECT_EQ(W1->Buddy, W2);
  EXPECT_EQ(W2->Buddy, W1);
  EXPECT_EQ(W2->ParentWidget, W1);
  EXPECT_EQ(W1->Pen.Width, 3);
  EXPECT_EQ(W1->Pen.Style.size(), 300u);
  EXPECT_EQ(W1->Pen.Blob, (std::vector<uint8_t>{0, 1, 2, 0xFE, 0xFF}));
  ASSERT_EQ(W1->Cells.Count(), 2);
  EXPECT_EQ(static_cast<TCell*>(W1->Cells.Items(0))->Link, W3);
  EXPECT_EQ(static_cast<TCell*>(W1->Cells.Items(0))->Width, 2.5);
  EXPECT_EQ(W1->Lines.CommaText(), "alpha,\"two words\",Ω");
  EXPECT_EQ(W1->Values, (std::vector<long double>{10, 297.5L, -1}));
  EXPECT_EQ(W1->DesignInfo(), 0x00200010);
  EXPECT_EQ(W2->Tag(), 7);
  EXPECT_EQ(W3->Tone, toMid);
  // The event was bound by name to the new root's published method.
  ASSERT_TRUE(W1->OnPing);
  W1->OnPing(W1);
  EXPECT_EQ(Form->Pings, std::vector<std::string>{"W1"});
  // Loaded once for every component, in creation order; nothing is left loading.
  EXPECT_EQ(LoadedLog, (std::vector<std::string>{"Form1", "W1", "W2", "W3"}));
  EXPECT_FALSE(W2->HasState(csLoading) || W2->HasState(csReading));
}

TEST_F(FilerTest, TextFormRoundTripsAndKeepsPointsUnderACommaLocale) {
  TFormatSettings Comma = BrazilianFormatSettings();
  Comma.DecimalSeparator = ',';
  TFormatSettingsScope Scope(Comma);
  auto Tree = MakeTree();
  std::vector<uint8_t> A = WriteBinary(Tree.get());
  std::string Text = ToText(A);
  EXPECT_EQ(FromText(Text), A);
  EXPECT_NE(Text.find("object Form1: TForm\r\n  Tag = 42\r\n  object W1: TWidget\r\n"), std::string::npos);
  for (const char* Line : {"    Ext = 0.1\r\n", "    Single = 1.25s\r\n", "    Date = 45000.5d\r\n",
                           "    Money = 123456c\r\n", "    Tones = [toLow, toHigh]\r\n", "    Text = 'Relat'#243'rio '#8364\r\n",
                           "    Buddy = W2\r\n", "    Pen.Data = {\r\n      000102FEFF}\r\n",
                           "    Lines.Strings = (\r\n      'alpha'\r\n      'two words'\r\n      #937)\r\n",
                           "    OnPing = PingHandler\r\n", "        Link = W3\r\n", "    Values = (\r\n      10.0\r\n      297.5\r\n"})
    EXPECT_NE(Text.find(Line), std::string::npos) << Line << "\n" << Text;
  auto Copy = ReadBinary(FromText(Text));
  EXPECT_EQ(static_cast<TWidget*>(Copy->FindComponent("W1"))->Ext, 0.1L);
}

TEST_F(FilerTest, HandWrittenTextConverts) {
  std::string Text =
      "object F: TForm\n"
      "  object A: TWidget\n"
      "    Single = 2.5S  Money = 12.6c\n"
      "    Text = 'it''s ' + 'joined'#10'x'\n"
      "    Huge = $10\n"
      "    Cells = <\n"
      "      item [3]\n"
      "        Caption = 'c'\n"
      "      end>\n"
      "    Tones = []\n"
      "  end\n"
      "end\n";
  auto Root = ReadBinary(FromText(Text));
  auto* A = static_cast<TWidget*>(Root->FindComponent("A"));
  ASSERT_NE(A, nullptr);
  EXPECT_EQ(A->Single, 2.5f);
  EXPECT_EQ(Round(A->Money * 10000), 13);  // currency text counts ten-thousandths
  EXPECT_EQ(A->Text, "it's joined\nx");
  EXPECT_EQ(A->Huge, 16);
  ASSERT_EQ(A->Cells.Count(), 1);
  EXPECT_EQ(static_cast<TCell*>(A->Cells.Items(0))->Caption, "c");

  for (const char* Bad : {"", "object", "object F: TForm\n  X = \n", "object F: TForm\n  X = 'open\nend",
                          "object F: TForm\n  X = {0A0}\nend", "object F: TForm\n  X = 99999999999999999999\nend",
                          "thing F: TForm end",
                          // beyond the single and double ranges: never written as infinities
                          "object F: TForm\n  X = -925e+38s\nend", "object F: TForm\n  X = 1e309d\nend"})
    EXPECT_THROW(FromText(Bad), EReadError) << Bad;
}

TEST_F(FilerTest, CurrencyRangeIsTheWhole64BitRangeOfTenThousandths) {
  // Values whose ten-thousandths are exact in long double, on both sides of each limit.
  struct TCase {
    long double Value;
    bool Fits;
    int64_t TenThousandths;
  } Cases[] = {
      {922000000000000.0L, true, 9220000000000000000},  // past 9.2e18 ten-thousandths: in range
      {922337203685477.5L, true, 9223372036854775000},
      {922337203685477.625L, false, 0},  // 9223372036854776250: past INT64_MAX
      {-922337203685477.5L, true, -9223372036854775000},
      {-922337203685477.625L, false, 0},
      {1e30L, false, 0},
      {std::numeric_limits<long double>::quiet_NaN(), false, 0},
      {-std::numeric_limits<long double>::infinity(), false, 0},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(static_cast<double>(C.Value));
    int64_t Got = 0;
    EXPECT_EQ(CurrencyFromFloat(C.Value, Got), C.Fits);
    if (C.Fits) {
      EXPECT_EQ(Got, C.TenThousandths);
    }
    // Written as a currency property and read back, or refused by the writer.
    TForm Root(nullptr);
    auto* W = new TWidget(&Root);
    W->SetName("W");
    W->Money = C.Value;
    if (!C.Fits) {
      EXPECT_THROW(WriteBinary(&Root), EWriteError);
      continue;
    }
    auto Copy = ReadBinary(WriteBinary(&Root));
    EXPECT_EQ(static_cast<TWidget*>(Copy->FindComponent("W"))->Money * 10000, static_cast<long double>(Got));
  }
  // Currency text counts ten-thousandths: the exact limits hold, one past them does not.
  auto MoneyText = [](const std::string& V) { return "object F: TForm\n object A: TWidget\n Money = " + V + "\n end\nend"; };
  for (const char* V : {"9223372036854775807c", "-9223372036854775808c", "9223372036854775807.0c", "9.22e18c"})
    EXPECT_NO_THROW(ReadBinary(FromText(MoneyText(V)))) << V;
  for (const char* V : {"9223372036854775808.0c", "-9223372036854775809.0c", "9.23e18c"})
    EXPECT_THROW(FromText(MoneyText(V)), EReadError) << V;
  // A float read into a currency property: 9.22e14 used to be refused.
  auto Root = ReadBinary(FromText(MoneyText("922000000000000.0")));
  EXPECT_EQ(static_cast<TWidget*>(Root->FindComponent("A"))->Money, 922000000000000.0L);
}

TEST_F(FilerTest, HandAssembledBinaryLoads) {
  // Bytes from the tag table, one value of each tag.
  auto Str = [](std::vector<uint8_t>& B, const std::string& S) {
    B.push_back(static_cast<uint8_t>(S.size()));
    B.insert(B.end(), S.begin(), S.end());
  };
  std::vector<uint8_t> B = {'T', 'P', 'F', '0'};
  Str(B, "TForm"), Str(B, "Root");
  B.push_back(0);  // no properties
  Str(B, "TWidget"), Str(B, "W");
  auto Prop = [&](const char* Name, std::initializer_list<uint8_t> Value) {
    Str(B, Name);
    B.insert(B.end(), Value);
  };
  Prop("Small", {2, 0xFB});                                   // 2 Int8 -5
  Prop("Medium", {3, 0xE8, 0x03});                            // 3 Int16 1000
  Prop("Large", {4, 0xA0, 0x86, 0x01, 0x00});                 // 4 Int32 100000
  Prop("Ext", {5, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0xFF, 0x3F});    // 5 Extended 1.5
  Prop("Text", {6, 2, 'h', 'i'});                             // 6 String
  Prop("Tone", {7, 5, 't', 'o', 'L', 'o', 'w'});              // 7 Ident
  Prop("Flag", {9});                                          // 9 True
  Prop("Pen.Data", {10, 2, 0, 0, 0, 0xAB, 0xCD});             // 10 Binary
  Prop("Tones", {11, 5, 't', 'o', 'M', 'i', 'd', 0});         // 11 Set
  Prop("Pen.Style", {12, 3, 0, 0, 0, 'a', 'b', 'c'});         // 12 LString
  Prop("Buddy", {13});                                        // 13 nil
  Prop("Cells", {14, 1, 7, 'C', 'a', 'p', 't', 'i', 'o', 'n', 6, 1, 'x', 0, 0});  // 14 Collection
  Prop("Single", {15, 0x00, 0x00, 0xC0, 0x3F});               // 15 Single 1.5
  Prop("Money", {16, 0x10, 0x27, 0, 0, 0, 0, 0, 0});          // 16 Currency 1.0
  Prop("Date", {17, 0, 0, 0, 0, 0, 0, 0x02, 0x40});           // 17 Date 2.25
  Prop("Lines.Strings", {1, 18, 1, 0, 0, 0, 0xA9, 0x03,       // 1 List: 18 WString Ω
                         20, 2, 0, 0, 0, 0xC3, 0xA9, 0});     // 20 UTF-8 é; list end
  Prop("Huge", {19, 0, 0xE4, 0x0B, 0x54, 0x02, 0, 0, 0});     // 19 Int64 10^10
  Prop("OnPing", {7, 11, 'P', 'i', 'n', 'g', 'H', 'a', 'n', 'd', 'l', 'e', 'r'});
  B.insert(B.end(), {0, 0, 0, 0});  // W: property end, children end; Root: children end (then a spare)
  B.pop_back();

  auto Root = ReadBinary(B);
  auto* W = static_cast<TWidget*>(Root->FindComponent("W"));
  ASSERT_NE(W, nullptr);
  EXPECT_EQ(W->Small, -5);
  EXPECT_EQ(W->Medium, 1000);
  EXPECT_EQ(W->Large, 100000);
  EXPECT_EQ(W->Ext, 1.5L);
  EXPECT_EQ(W->Text, "hi");
  EXPECT_EQ(W->Tone, toLow);
  EXPECT_TRUE(W->Flag);
  EXPECT_EQ(W->Pen.Blob, (std::vector<uint8_t>{0xAB, 0xCD}));
  EXPECT_EQ(W->Tones, 1u << toMid);
  EXPECT_EQ(W->Pen.Style, "abc");
  EXPECT_EQ(W->Buddy, nullptr);
  ASSERT_EQ(W->Cells.Count(), 1);
  EXPECT_EQ(static_cast<TCell*>(W->Cells.Items(0))->Caption, "x");
  EXPECT_EQ(W->Single, 1.5f);
  EXPECT_EQ(W->Money, 1.0L);
  EXPECT_EQ(W->Date, 2.25);
  EXPECT_EQ(W->Lines.CommaText(), "Ω,é");
  EXPECT_EQ(W->Huge, 10000000000LL);
  EXPECT_TRUE(W->OnPing);
}

TEST_F(FilerTest, HooksRenameRedirectAndSkip) {
  auto Tree = MakeTree();
  std::vector<uint8_t> A = WriteBinary(Tree.get());
  // An existing W1 in the target root: the hook renames the one read, and references follow.
  TForm Target(nullptr);
  TWidget Existing(&Target);
  Existing.SetName("W1");
  TBytesStream S(A.data(), static_cast<int64_t>(A.size()));
  TReader R(S);
  std::vector<std::pair<std::string, std::string>> Renamed;
  R.OnSetName = [&](TReader&, TComponent* C, std::string& Name) {
    if (C != &Target && Target.FindComponent(Name)) {
      Renamed.push_back({Name, Name + "_1"});
      Name += "_1";
    }
  };
  R.OnReferenceName = [&](TReader&, std::string& Name) {
    for (auto& [Old, New] : Renamed)
      if (Name == Old) Name = New;
  };
  R.ReadRootComponent(&Target);
  auto* W1 = static_cast<TWidget*>(Target.FindComponent("W1_1"));
  ASSERT_NE(W1, nullptr);
  EXPECT_EQ(static_cast<TWidget*>(Target.FindComponent("W2"))->Buddy, W1);
  EXPECT_EQ(Existing.Buddy, nullptr);

  // Unknown properties and handlers: an error without a hook, skipped with one.
  std::string Text = "object F: TForm\n object A: TWidget\n Nope = (1 2 'x')\n OnPing = Gone\n Small = 4\n end\nend\n";
  std::vector<uint8_t> B = FromText(Text);
  EXPECT_THROW(ReadBinary(B), EReadError);
  TBytesStream S2(B.data(), static_cast<int64_t>(B.size()));
  TReader R2(S2);
  std::vector<std::string> Errors;
  R2.OnError = [&](TReader&, const std::string& Message, bool& Handled) {
    Errors.push_back(Message);
    Handled = true;
  };
  TOwnedComponent Root(R2.ReadRootComponent(nullptr));
  EXPECT_EQ(static_cast<TWidget*>(Root->FindComponent("A"))->Small, 4);
  EXPECT_EQ(Errors, (std::vector<std::string>{"A propriedade Nope não existe", "Método Gone não encontrado"}));

  // The find-method hook may supply a handler the root does not publish.
  TBytesStream S3(B.data(), static_cast<int64_t>(B.size()));
  TReader R3(S3);
  int Calls = 0;
  R3.OnError = [](TReader&, const std::string&, bool& Handled) { Handled = true; };
  R3.OnFindMethod = [&](TReader&, const std::string& Name, std::any& Code, bool& Error) {
    if (Name == "Gone") {
      Code = std::function<void(TObject*)>([&](TObject*) { ++Calls; });
      Error = false;
    }
  };
  Root.reset(R3.ReadRootComponent(nullptr));
  static_cast<TWidget*>(Root->FindComponent("A"))->OnPing(nullptr);
  EXPECT_EQ(Calls, 1);
}

TEST_F(FilerTest, DescendantStreamHoldsOnlyDifferences) {
  auto Ancestor = MakeTree();
  auto Desc = MakeTree();
  auto* W1 = static_cast<TWidget*>(Desc->FindComponent("W1"));
  W1->Small = 9;
  W1->Text.clear();
  W1->Buddy = nullptr;
  W1->OnPing = nullptr;
  W1->Lines.Add("more");
  W1->SetDesignInfo(0x00200011);
  auto* W4 = new TWidget(Desc.get());
  W4->SetName("W4");
  W4->Medium = 4;
  TMemoryStream D;
  {
    TWriter W(D);
    W.WriteDescendent(Desc.get(), Ancestor.get());
  }
  std::string Text = ToText(D.Bytes());
  for (const char* Line : {"inherited Form1: TForm\r\n  inherited W1: TWidget\r\n    Small = 9\r\n    Text = ''\r\n",
                           "    Buddy = nil\r\n", "    OnPing = nil\r\n", "    Left = 17\r\n",
                           "    'more')\r\n", "  object W4: TWidget\r\n    Medium = 4\r\n", "    inherited W2: TWidget\r\n"})
    EXPECT_NE(Text.find(Line), std::string::npos) << Line << "\n" << Text;
  for (const char* Unchanged : {"Medium = 1000", "Tone", "Top", "Tag = 42", "Tag = 7"})
    EXPECT_EQ(Text.find(Unchanged), std::string::npos) << Unchanged;
  // The ancestor's stream, then the difference, read into one root give the descendant.
  auto Root = ReadBinary(WriteBinary(Ancestor.get()));
  D.SetPosition(0);
  TReader R(D);
  R.ReadRootComponent(Root.get());
  EXPECT_EQ(WriteBinary(Root.get()), WriteBinary(Desc.get()));
}

TEST_F(FilerTest, ReadsFromSeveralThreadsGiveEqualTrees) {
  auto Tree = MakeTree();
  const std::vector<uint8_t> A = WriteBinary(Tree.get());
  std::vector<std::vector<uint8_t>> Out(4);
  std::vector<std::thread> Threads;
  for (auto& O : Out)
    Threads.emplace_back([&A, &O] {
      auto Root = ReadBinary(A);
      O = WriteBinary(Root.get());
    });
  for (auto& T : Threads) T.join();
  for (auto& O : Out) EXPECT_EQ(O, A);
}

TEST_F(FilerTest, ReadComponentsReadsAListIntoAnOwner) {
  // What a report template stores: signature, the component, and one more list end.
  auto Tree = MakeTree();
  TMemoryStream M;
  {
    TWriter W(M);
    W.SetRoot(Tree.get());
    W.WriteSignature();
    W.WriteComponent(Tree->FindComponent("W3"));
    W.WriteSignature();
    W.WriteComponent(Tree->FindComponent("W1"));
    W.WriteListEnd();
  }
  M.WriteByte(0x55);  // whatever follows stays for the caller
  M.SetPosition(0);
  TForm Target(nullptr);
  std::vector<std::string> Read;
  {
    TReader R(M);
    R.ReadComponents(&Target, nullptr, [&](TComponent* C) { Read.push_back(C->Name()); });
  }
  EXPECT_EQ(Read, (std::vector<std::string>{"W3", "W1"}));
  EXPECT_EQ(Target.ComponentCount(), 3);  // W2 came as W1's child
  EXPECT_EQ(static_cast<TWidget*>(Target.FindComponent("W1"))->Buddy, Target.FindComponent("W2"));
  EXPECT_EQ(M.ReadByte(), 0x55);
}

TEST_F(FilerTest, WorkAfterLoadingWaitsForTheWholeReading) {
  const std::vector<uint8_t> A = WriteBinary(MakeTree().get());
  std::vector<size_t> LoadedWhenRun;
  auto Read = [&](const std::vector<uint8_t>& Bytes) {
    TBytesStream S(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    TReader R(S);
    // Queued while the first components are being read.
    R.OnSetName = [&](TReader&, TComponent*, std::string&) {
      TReader::WhenLoaded([&] { LoadedWhenRun.push_back(LoadedLog.size()); });
    };
    return TOwnedComponent(R.ReadRootComponent(nullptr));
  };
  LoadedLog.clear();
  auto Root = Read(A);
  ASSERT_FALSE(LoadedWhenRun.empty());
  for (size_t N : LoadedWhenRun) EXPECT_EQ(LoadedLog.size(), N);  // every Loaded ran first

  LoadedWhenRun.clear();
  EXPECT_THROW(Read(std::vector<uint8_t>(A.begin(), A.end() - 3)), EReadError);
  EXPECT_TRUE(LoadedWhenRun.empty());  // a failed reading drops its work
  TReader::WhenLoaded([&] { LoadedWhenRun.push_back(0); });  // nothing being read: at once
  EXPECT_EQ(1u, LoadedWhenRun.size());
}

TEST_F(FilerTest, DamagedStreamsRaiseReadErrorsAndNeverCrash) {
  auto Tree = MakeTree();
  const std::vector<uint8_t> A = WriteBinary(Tree.get());
  const std::string Text = ToText(A);
  // Every truncation of a valid stream fails cleanly.
  for (size_t N = 0; N < A.size(); ++N) {
    std::vector<uint8_t> Cut(A.begin(), A.begin() + static_cast<long>(N));
    EXPECT_THROW(ReadBinary(Cut), EReadError) << N;
  }
  for (size_t N = 0; N < Text.rfind("end"); N += 7)
    EXPECT_THROW(FromText(Text.substr(0, N)), EReadError) << N;
  // Flipped bytes either load or raise the read error, with and without an error hook.
  int Loaded = 0, Raised = 0;
  for (size_t I = 0; I < A.size(); ++I)
    for (uint8_t Mask : {0x01, 0x10, 0x80, 0xFF}) {
      std::vector<uint8_t> Bad = A;
      Bad[I] ^= Mask;
      for (bool Hook : {false, true}) {
        TBytesStream S(Bad.data(), static_cast<int64_t>(Bad.size()));
        TReader R(S);
        if (Hook) R.OnError = [](TReader&, const std::string&, bool& Handled) { Handled = true; };
        try {
          TOwnedComponent Root(R.ReadRootComponent(nullptr));
          ++Loaded;
        } catch (const EReadError&) {
          ++Raised;
        }
      }
      try {
        FromText(ToText(Bad));
      } catch (const EReadError&) {
      }
    }
  EXPECT_GT(Loaded, 0);
  EXPECT_GT(Raised, 0);
  for (size_t I = 0; I < Text.size(); I += 3) {
    std::string Bad = Text;
    Bad[I] = static_cast<char>(Bad[I] ^ 0x21);
    try {
      TOwnedComponent Root = ReadBinary(FromText(Bad));
    } catch (const EReadError&) {
    }
  }
}

namespace {
// A widget that frees the widgets sitting on it when it goes, as a parent control does.
class TParentWidget : public TWidget {
  DECLARE_CLASSINFO(TParentWidget)
public:
  using TWidget::TWidget;

protected:
  void Destroying() override {
    for (int I = Owner() ? Owner()->ComponentCount() - 1 : -1; I >= 0; --I)
      if (auto* W = dynamic_cast<TWidget*>(Owner()->Components(I)); W && W->ParentWidget == this) W->Free();
    TWidget::Destroying();
  }
};
const TClassInfo& TParentWidget::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TParentWidget>("TParentWidget", &TWidget::StaticClassInfo());
  return Info;
}
}  // namespace

TEST_F(FilerTest, AFailedReadForgetsTheChildrenAParentFreedWithIt) {
  RegisterClass(TParentWidget::StaticClassInfo());
  // C is read, then D fails: P goes, and with P the C the root owns but P holds.
  const std::string Text =
      "object Form1: TForm\r\n  object P: TParentWidget\r\n    object C: TWidget\r\n      Small = 1\r\n    end\r\n"
      "    object D: TWidget\r\n      Small = 'bad'\r\n    end\r\n  end\r\nend\r\n";
  EXPECT_THROW(ReadBinary(FromText(Text)), EReadError);
  TForm Into(nullptr);
  std::vector<uint8_t> Bytes = FromText(Text);
  TBytesStream In(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  EXPECT_THROW(ReadComponentFromStream(In, &Into), EReadError);
  EXPECT_EQ(Into.ComponentCount(), 0);
  EXPECT_FALSE(Into.HasState(csLoading));
  UnRegisterClass(TParentWidget::StaticClassInfo());
}

TEST_F(FilerTest, HostileLengthsAndNestingAreBounded) {
  auto Head = [] {
    return std::vector<uint8_t>{'T', 'P', 'F', '0', 5, 'T', 'F', 'o', 'r', 'm', 1, 'F', 3, 'T', 'a', 'g'};
  };
  // A long string claiming 4 GiB, a wide string claiming 2^32 characters.
  for (std::vector<uint8_t> Tail : {std::vector<uint8_t>{12, 0xFF, 0xFF, 0xFF, 0xFF, 'a'},
                                    std::vector<uint8_t>{18, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0}}) {
    std::vector<uint8_t> B = Head();
    B.insert(B.end(), Tail.begin(), Tail.end());
    EXPECT_THROW(ReadBinary(B), EReadError);
  }
  // A million nested lists end in a read error, not a stack overflow, with a hook that skips.
  std::vector<uint8_t> B = Head();
  B.insert(B.end(), 1000000, vaList);
  TBytesStream S(B.data(), static_cast<int64_t>(B.size()));
  TReader R(S);
  R.OnError = [](TReader&, const std::string&, bool& Handled) { Handled = true; };
  EXPECT_THROW(R.ReadRootComponent(nullptr), EReadError);
  // A currency beyond its range, as a float or as currency text.
  EXPECT_THROW(ReadBinary(FromText("object F: TForm\n object A: TWidget\n Money = 1e30\n end\nend")), EReadError);
  EXPECT_THROW(FromText("object F: TForm\n object A: TWidget\n Money = 1e30c\n end\nend"), EReadError);
  // A flood of components stops at the reader's bound.
  std::vector<uint8_t> Flood = {'T', 'P', 'F', '0', 5, 'T', 'F', 'o', 'r', 'm', 0, 0};
  for (int I = 0; I < 20; ++I) Flood.insert(Flood.end(), {7, 'T', 'W', 'i', 'd', 'g', 'e', 't', 0, 0, 0});
  Flood.push_back(0);
  EXPECT_EQ(ReadBinary(Flood)->ComponentCount(), 20);
  TBytesStream FS(Flood.data(), static_cast<int64_t>(Flood.size()));
  TReader FR(FS);
  FR.MaxComponents = 10;
  EXPECT_THROW(FR.ReadRootComponent(nullptr), EReadError);
  // Deeply nested components too.
  std::vector<uint8_t> C = {'T', 'P', 'F', '0'};
  for (int I = 0; I < 100000; ++I) C.insert(C.end(), {7, 'T', 'W', 'i', 'd', 'g', 'e', 't', 0, 0});
  EXPECT_THROW(ReadBinary(C), EReadError);
  std::string T;
  for (int I = 0; I < 100000; ++I) T += "object TWidget ";
  EXPECT_THROW(FromText(T), EReadError);
}

// An inner component fails after its collection item asked for a reference: the item goes with
// it, and undoing the outer components must not look at the item again.
TEST_F(FilerTest, AFailedReadForgetsTheReferencesOfItemsFreedEarlier) {
  const std::string Text =
      "object Form1: TForm\n  object A: TWidget\n    object B: TWidget\n      Cells = <\n        item\n"
      "          Link = A\n        end>\n      object A: TWidget\n      end\n    end\n  end\nend\n";
  for (bool Hook : {false, true}) {
    const std::vector<uint8_t> Bytes = FromText(Text);
    TBytesStream S(Bytes.data(), static_cast<int64_t>(Bytes.size()));
    TReader R(S);
    if (Hook) R.OnError = [](TReader&, const std::string&, bool& Handled) { Handled = true; };
    EXPECT_THROW(TOwnedComponent(R.ReadRootComponent(nullptr)), EReadError) << Hook;
  }
}

namespace {
// A component whose class name is as long as the test asks (set before the class is used).
std::string LongClassName;
class TLongNamed : public TComponent {
  DECLARE_CLASSINFO(TLongNamed)
public:
  using TComponent::TComponent;
};
const TClassInfo& TLongNamed::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TLongNamed>(LongClassName.c_str(), &TComponent::StaticClassInfo());
  return Info;
}
}  // namespace

// The class name's length byte stands where a prefix (0xF0 | flags) may: a name of 240 bytes or
// more would read as a prefix, so neither the writer nor the text converter writes one.
TEST_F(FilerTest, ClassNamesTheBinaryFormCannotHoldAreRefused) {
  for (size_t Length : {239u, 240u, 251u, 255u}) {
    const std::string Name = "T" + std::string(Length - 1, 'x');
    const std::string Text = "object Root: " + Name + "\r\nend\r\n";
    if (Length <= MaxClassNameBytes) {
      EXPECT_EQ(ToText(FromText(Text)), Text) << Length;
      continue;
    }
    try {
      FromText("object Root: TForm\r\n  object A:\r\n    " + Name + "\r\n  end\r\nend\r\n");
      ADD_FAILURE() << Length;
    } catch (const EParserError& E) {
      EXPECT_EQ(E.Message(), Format(SParseError, {3, SParseClassNameTooLong})) << Length;
    }
  }
  LongClassName = "T" + std::string(250, 'L');
  TLongNamed C(nullptr);
  TMemoryStream M;
  EXPECT_THROW(WriteComponentToStream(M, &C), EWriteError);
}
