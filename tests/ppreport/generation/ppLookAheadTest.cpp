// The look-ahead list on its own: values by key, commands that listen for their key, keys that
// arrive out of order, and the end of the first pass.
#include <gtest/gtest.h>

#include <memory>

#include "ppreport/core/ppComm.h"
#include "ppreport/core/ppDrwCmd.h"
#include "ppreport/generation/ppLookAhead.h"

namespace {

struct LookAhead : ::testing::Test {
  std::unique_ptr<TppCommunicator> Owner = std::make_unique<TppCommunicator>(nullptr);
  TppLookAheadList List{Owner.get()};
  std::vector<std::unique_ptr<TppDrawVariable>> Commands;

  // A command printed before its key is complete, as its component fills it in the first pass.
  TppDrawVariable& Printed(const std::string& Key) {
    Commands.push_back(std::make_unique<TppDrawVariable>(nullptr));
    TppDrawVariable& C = *Commands.back();
    C.SetText(List.GetValue(Key, 0, "0"));
    List.Listen(C, Key);
    return C;
  }
};

TEST_F(LookAhead, ValuesByKeyNewerTraversalsOnly) {
  EXPECT_EQ("dflt", List.GetValue("1", 0, "dflt"));
  EXPECT_EQ(nullptr, List.Find("1"));
  List.Update("1", 1, "10");
  List.Update("1", 3, "30");
  List.Update("1", 2, "20");  // an older traversal changes nothing
  List.Update("2", 4, "5");
  EXPECT_EQ("30", List.GetValue("1", 0, "dflt"));
  EXPECT_EQ("5", List.GetValue("2", 0, "dflt"));
  ASSERT_EQ(2, List.Count());
  EXPECT_EQ("1", List.GetEntry(0).Key);
  EXPECT_EQ(3, List.GetEntry(0).TraversalCount);
  EXPECT_THROW(List.GetEntry(2), EListError);
  List.Clear();
  EXPECT_EQ(0, List.Count());
  EXPECT_EQ("dflt", List.GetValue("1", 0, "dflt"));
}

// Columns across a page interleave their keys: each column's total must still come out whole,
// in the list and on the commands printed before it was known.
TEST_F(LookAhead, KeysArrivingOutOfOrderKeepTheirOwnValues) {
  TppDrawVariable& A = Printed("A");
  TppDrawVariable& B = Printed("B");
  EXPECT_EQ("0", A.Text());
  int Count = 0;
  for (auto [Key, Text] : {std::pair{"A", "1"}, {"B", "2"}, {"A", "3"}, {"B", "6"}, {"A", "9"}})
    List.Update(Key, ++Count, Text);
  EXPECT_EQ("9", A.Text());
  EXPECT_EQ("6", B.Text());
  EXPECT_EQ("9", List.GetValue("A", 0, ""));
  EXPECT_EQ("6", List.GetValue("B", 0, ""));
  // Looking a key up does not stop the others.
  EXPECT_NE(nullptr, List.Find("B"));
  List.Update("A", ++Count, "10");
  EXPECT_EQ("10", A.Text());
  EXPECT_TRUE(A.IsUpdatePending());
  EXPECT_TRUE(B.IsUpdatePending());
  EXPECT_EQ(2, List.ListenerCount());

  // The end of the first pass: every value is final, the commands keep theirs.
  List.Disconnect();
  EXPECT_FALSE(A.IsUpdatePending());
  EXPECT_FALSE(B.IsUpdatePending());
  EXPECT_EQ("10", A.Text());
  EXPECT_EQ("6", B.Text());
  EXPECT_EQ(0, List.ListenerCount());
  List.Update("A", ++Count, "99");
  EXPECT_EQ("10", A.Text());
  EXPECT_EQ("99", List.GetValue("A", 0, ""));
}

// A copy of a printed command (a cached page) hears its key too; a freed command is let go.
TEST_F(LookAhead, CopiesListenAndFreedCommandsLeave) {
  TppDrawVariable& A = Printed("A");
  TppDrawVariable Copy(nullptr);
  Copy.Assign(&A);
  Printed("A");
  Commands.pop_back();
  EXPECT_EQ(2, List.ListenerCount());
  List.Update("A", 1, "7");
  EXPECT_EQ("7", Copy.Text());
  EXPECT_EQ("7", A.Text());
  Commands.clear();
  EXPECT_EQ(1, List.ListenerCount());
  List.Clear();
  EXPECT_FALSE(Copy.IsUpdatePending());
}

}  // namespace
