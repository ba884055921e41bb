#include "platform/app/Messages.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "platform/app/Application.h"

namespace {
class TRecorder : public TMessageTarget {
public:
  std::vector<TMessage> Got;
  std::vector<TMessage>* Shared = nullptr;
  std::function<void(TMessage&)> Reply;

protected:
  void WndProc(TMessage& M) override {
    Got.push_back(M);
    if (Shared) Shared->push_back(M);
    if (Reply) Reply(M);
  }
};

using MessagesTest = ::testing::Test;  // the test main started the application
}  // namespace

TEST_F(MessagesTest, PostedMessagesArriveInOrderOnlyThroughTheLoop) {
  TRecorder A, B;
  std::vector<TMessage> Order;
  A.Shared = B.Shared = &Order;
  EXPECT_TRUE(PostMessage(A.Handle(), WM_USER, 1, 10));
  EXPECT_TRUE(PostMessage(B.Handle(), WM_USER + 1, 2, 20));
  EXPECT_TRUE(PostMessage(A.Handle(), WM_USER + 4, 3, -30));
  EXPECT_TRUE(Order.empty());
  Application->ProcessMessages();
  ASSERT_EQ(Order.size(), 3u);
  EXPECT_EQ(Order[0].Msg, WM_USER);
  EXPECT_EQ(Order[0].LParam, 10);
  EXPECT_EQ(Order[1].Msg, WM_USER + 1);
  EXPECT_EQ(Order[1].WParam, 2u);
  EXPECT_EQ(Order[2].LParam, -30);
  EXPECT_EQ(A.Got.size(), 2u);
  EXPECT_EQ(B.Got.size(), 1u);
}

TEST_F(MessagesTest, SendIsSynchronousAndAnswersTheResult) {
  TRecorder A;
  A.Reply = [](TMessage& M) { M.Result = static_cast<LRESULT>(M.WParam) * 2; };
  EXPECT_EQ(SendMessage(A.Handle(), WM_USER + 4, 21, 0), 42);
  ASSERT_EQ(A.Got.size(), 1u);
}

TEST_F(MessagesTest, MessagesToADestroyedTargetAreDropped) {
  auto Gone = std::make_unique<TRecorder>();
  TRecorder Live;
  std::vector<TMessage> Order;
  Gone->Shared = Live.Shared = &Order;
  HWND H = Gone->Handle();
  PostMessage(H, WM_USER, 1, 0);
  PostMessage(Live.Handle(), WM_USER, 2, 0);
  Gone.reset();
  Application->ProcessMessages();
  ASSERT_EQ(Order.size(), 1u);
  EXPECT_EQ(Order[0].WParam, 2u);
  EXPECT_FALSE(IsWindow(H));
  EXPECT_FALSE(PostMessage(H, WM_USER, 0, 0));
  EXPECT_EQ(SendMessage(H, WM_USER, 0, 0), 0);
  EXPECT_FALSE(PostMessage(0, WM_USER, 0, 0));
}

TEST_F(MessagesTest, HandlerMayDestroyATargetWithMessagesPending) {
  auto Victim = std::make_unique<TRecorder>();
  TRecorder Killer;
  HWND VictimHandle = Victim->Handle();
  Killer.Reply = [&](TMessage&) { Victim.reset(); };
  PostMessage(Killer.Handle(), WM_USER + 4, 0, 0);
  PostMessage(VictimHandle, WM_USER, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(Killer.Got.size(), 1u);
  EXPECT_FALSE(Victim);
}

TEST_F(MessagesTest, OtherThreadsPostAndSendToTheMainThread) {
  TRecorder A;
  std::thread::id DeliveredOn;
  A.Reply = [&](TMessage& M) {
    DeliveredOn = std::this_thread::get_id();
    M.Result = 7;
  };
  LRESULT R = 0;
  std::thread Worker([&] {
    PostMessage(A.Handle(), WM_USER, 1, 0);
    R = SendMessage(A.Handle(), WM_USER + 1, 2, 0);
  });
  while (A.Got.size() < 2) Application->HandleMessage();
  Worker.join();
  EXPECT_EQ(R, 7);
  EXPECT_EQ(A.Got[0].Msg, WM_USER);
  EXPECT_EQ(A.Got[1].Msg, WM_USER + 1);
  EXPECT_EQ(DeliveredOn, std::this_thread::get_id());
}
