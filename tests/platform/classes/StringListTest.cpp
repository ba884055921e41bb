#include "platform/classes/StringList.h"

#include <gtest/gtest.h>

#include "platform/classes/Streams.h"

namespace {
class TCounted : public TObject {
public:
  explicit TCounted(int* Deaths) : FDeaths(Deaths) {}
  ~TCounted() override { ++*FDeaths; }

private:
  int* FDeaths;
};
}  // namespace

TEST(StringListTest, EditsKeepObjectsWithTheirStrings) {
  TStringList L;
  TObject A, B;
  L.Add("one");
  L.AddObject("two", &A);
  L.InsertObject(0, "zero", &B);
  ASSERT_EQ(L.Count(), 3);
  EXPECT_EQ(L.Strings(0), "zero");
  EXPECT_EQ(L.Objects(0), &B);
  EXPECT_EQ(L.IndexOf("TWO"), 2);  // ignoring case by default
  EXPECT_EQ(L.IndexOfObject(&A), 2);
  L.Move(2, 0);
  EXPECT_EQ(L.Strings(0), "two");
  EXPECT_EQ(L.Objects(0), &A);
  L.Delete(0);
  EXPECT_EQ(L.Count(), 2);
  EXPECT_THROW(L.Strings(2), EListError);
  EXPECT_THROW(L.Insert(5, "x"), EListError);
  L.SetCaseSensitive(true);
  EXPECT_EQ(L.IndexOf("ONE"), -1);
}

TEST(StringListTest, OwnedObjectsAreFreedWithTheirEntries) {
  int Deaths = 0;
  {
    TStringList L(true);
    L.AddObject("a", new TCounted(&Deaths));
    L.AddObject("b", new TCounted(&Deaths));
    L.AddObject("c", new TCounted(&Deaths));
    L.Delete(0);
    EXPECT_EQ(Deaths, 1);
    L.SetObjects(0, nullptr);
    EXPECT_EQ(Deaths, 2);
  }
  EXPECT_EQ(Deaths, 3);
}

TEST(StringListTest, TextSplitsEveryLineBreakAndJoinsWithCrLf) {
  TStringList L;
  L.SetText("a\r\nb\nc\rd\r\n\r\ne");
  EXPECT_EQ(L.Count(), 6);
  EXPECT_EQ(L.Strings(4), "");
  EXPECT_EQ(L.Text(), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
  L.SetText("");
  EXPECT_EQ(L.Count(), 0);
}

TEST(StringListTest, CommaTextQuotesWhatNeedsIt) {
  TStringList L;
  struct Case {
    const char* Text;
    std::vector<std::string> Items;
    const char* Back;
  } Cases[] = {
      {"a,b,c", {"a", "b", "c"}, "a,b,c"},
      {" a b , c ", {"a", "b", "c"}, "a,b,c"},  // blanks separate too
      {"\"x y\",\"say \"\"hi\"\"\"", {"x y", "say \"hi\""}, "\"x y\",\"say \"\"hi\"\"\""},
      {"a,,b", {"a", "", "b"}, "a,,b"},
      {"a,", {"a", ""}, "a,"},
      {"\"\"", {""}, "\"\""},
      {"\"open", {"open"}, "open"},
      {"", {}, ""},
  };
  for (const Case& K : Cases) {
    L.SetCommaText(K.Text);
    std::vector<std::string> Got;
    for (int I = 0; I < L.Count(); ++I) Got.push_back(L.Strings(I));
    EXPECT_EQ(Got, K.Items) << K.Text;
    EXPECT_EQ(L.CommaText(), K.Back) << K.Text;
  }
  L.SetDelimiter(';');
  L.SetDelimitedText("a b;c");
  EXPECT_EQ(L.Count(), 3);
}

TEST(StringListTest, NamesAndValues) {
  TStringList L;
  L.Add("Host=db.local");
  L.Add("Port=5432");
  L.Add("plain");
  EXPECT_EQ(L.Names(0), "Host");
  EXPECT_EQ(L.Names(2), "");
  EXPECT_EQ(L.Values("PORT"), "5432");
  EXPECT_EQ(L.Values("missing"), "");
  L.SetValues("Port", "1");
  L.SetValues("User", "me");
  EXPECT_EQ(L.Strings(1), "Port=1");
  EXPECT_EQ(L.Strings(3), "User=me");
  L.SetValues("Host", "");
  EXPECT_EQ(L.IndexOfName("Host"), -1);
  EXPECT_EQ(L.Count(), 3);
}

TEST(StringListTest, SortedListsFindAndHandleDuplicates) {
  TStringList L;
  L.SetCommaText("pear,Apple,fig,apple");
  L.SetSorted(true);
  EXPECT_EQ(L.CommaText(), "Apple,apple,fig,pear");
  EXPECT_EQ(L.Add("banana"), 2);
  EXPECT_EQ(L.Add("FIG"), 3);  // dupIgnore answers the existing entry
  EXPECT_EQ(L.Count(), 5);
  L.SetDuplicates(dupError);
  EXPECT_THROW(L.Add("pear"), EListError);
  L.SetDuplicates(dupAccept);
  L.Add("pear");
  EXPECT_EQ(L.Count(), 6);
  EXPECT_THROW(L.Insert(0, "x"), EListError);
  int I;
  EXPECT_FALSE(L.Find("cherry", I));
  EXPECT_EQ(I, 3);
  EXPECT_EQ(L.IndexOf("BANANA"), 2);
}

TEST(StringListTest, ChangeEventsFireOncePerUpdate) {
  TStringList L;
  int Changes = 0, Changings = 0;
  L.OnChange = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &L);
    ++Changes;
  };
  L.OnChanging = [&](TObject*) { ++Changings; };
  L.Add("a");
  EXPECT_EQ(Changes, 1);
  L.SetCommaText("a,b,c");
  EXPECT_EQ(Changes, 2);
  EXPECT_EQ(Changings, 2);
}

TEST(StringListTest, StreamsUseWindows1252AndAssignCopies) {
  TStringList L;
  L.Add("Ação");
  L.Add("€5");
  TMemoryStream M;
  L.SaveToStream(M);
  EXPECT_EQ(std::string(M.Bytes().begin(), M.Bytes().end()), "A\xE7\xE3o\r\n\x80" "5\r\n");
  M.SetPosition(0);
  TStringList Back;
  Back.LoadFromStream(M);
  EXPECT_TRUE(Back.Equals(L));
  TMemoryStream U;
  U.WriteBuffer("\xEF\xBB\xBFol\xC3\xA1", 7);
  U.SetPosition(0);
  Back.LoadFromStream(U);
  EXPECT_EQ(Back.Strings(0), "olá");

  TObject O;
  L.SetObjects(1, &O);
  TStringList Copy;
  Copy.Add("old");
  Copy.Assign(&L);
  EXPECT_TRUE(Copy.Equals(L));
  EXPECT_EQ(Copy.Objects(1), &O);
  TComponent NotAList(nullptr);
  EXPECT_THROW(Copy.Assign(&NotAList), EConvertError);
}
