#include "ppreport/core/ppTreeNode.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A node class with data of its own, so clones show what they copied.
class TNamedNode : public TppTreeNode {
  DECLARE_CLASSINFO(TNamedNode)
public:
  using TppTreeNode::TppTreeNode;
  std::string Text;
  void Assign(const TPersistent* Source) override {
    if (auto* N = dynamic_cast<const TNamedNode*>(Source)) {
      Text = N->Text;
      return;
    }
    TppTreeNode::Assign(Source);
  }
  TNamedNode* AddNamed(const std::string& T) {
    auto* N = static_cast<TNamedNode*>(Add());
    N->Text = T;
    return N;
  }
};
const TClassInfo& TNamedNode::StaticClassInfo() {
  static const TClassInfo Info = TClassDef<TNamedNode>("TNamedNode", &TppTreeNode::StaticClassInfo());
  return Info;
}

// root(a(a1, a2(a21)), b, c(c1))
struct TTree {
  TNamedNode Root{nullptr};
  TNamedNode *A, *A1, *A2, *A21, *B, *C, *C1;
  TTree() {
    Root.Text = "root";
    A = Root.AddNamed("a");
    A1 = A->AddNamed("a1");
    A2 = A->AddNamed("a2");
    A21 = A2->AddNamed("a21");
    B = Root.AddNamed("b");
    C = Root.AddNamed("c");
    C1 = C->AddNamed("c1");
  }
};

std::string PreOrder(const TppTreeNode* From) {
  std::string S;
  for (const TppTreeNode* N = From; N; N = N->GetNext()) S += static_cast<const TNamedNode*>(N)->Text + " ";
  return S;
}

TEST(TppTreeNodeTest, Navigation) {
  TTree T;
  EXPECT_EQ("root a a1 a2 a21 b c c1 ", PreOrder(&T.Root));
  // GetPrevious walks the same order backwards.
  std::string Back;
  for (const TppTreeNode* N = T.C1; N; N = N->GetPrevious()) Back = static_cast<const TNamedNode*>(N)->Text + " " + Back;
  EXPECT_EQ(PreOrder(&T.Root), Back);
  EXPECT_EQ(nullptr, T.C1->GetNext());
  EXPECT_EQ(nullptr, T.Root.GetPrevious());
  EXPECT_EQ(nullptr, T.B->GetLastChildDescendent());
  EXPECT_EQ(T.C1, T.Root.GetLastChildDescendent());
  EXPECT_EQ(T.A21, T.A->GetLastChildDescendent());
  EXPECT_EQ(0, T.Root.GetLevel());
  EXPECT_EQ(3, T.A21->GetLevel());
  EXPECT_EQ(7, T.Root.GetAbsoluteChildNodeCount());
  EXPECT_EQ(T.B, T.A->GetNextSibling());
  EXPECT_EQ(nullptr, T.C->GetNextSibling());
  EXPECT_EQ(nullptr, T.A->GetPreviousSibling());
  EXPECT_EQ(nullptr, T.Root.GetNextSibling());
  EXPECT_EQ(T.A, T.A2->GetParentNode());
  EXPECT_EQ("TNamedNode", T.A->ClassName());  // Add makes the node's own class
  EXPECT_EQ(&T.Root, T.A->Owner());
}

TEST(TppTreeNodeTest, CloneOneNodeOrAWholeSubtree) {
  TTree T;
  TppTreeNode* One = T.A->CloneNode(T.B, false);
  EXPECT_EQ(T.B, One->GetParentNode());
  EXPECT_EQ("a", static_cast<TNamedNode*>(One)->Text);
  EXPECT_EQ(0, One->GetChildNodeCount());
  EXPECT_EQ(nullptr, One->Owner());

  // Into its own subtree: the copy is made apart and hung there at the end.
  TppTreeNode* Deep = T.A->CloneNode(T.A21, true);
  EXPECT_EQ(T.A21, Deep->GetParentNode());
  EXPECT_EQ("a a1 a2 a21 ", PreOrder(Deep).substr(0, 12));
  EXPECT_EQ(4, Deep->GetAbsoluteChildNodeCount() + 1);

  TppTreeNode* Loose = T.C->CloneNode(nullptr, true);
  EXPECT_EQ(nullptr, Loose->GetParentNode());
  EXPECT_EQ("c c1 ", PreOrder(Loose));
  Loose->Free();
}

}  // namespace
