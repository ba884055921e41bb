#include "platform/forms/Application.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <thread>

#include "platform/forms/Messages.h"

TEST(ApplicationTest, InitialiseCreatesTheGlobalsOnceAndFinaliseFreesThem) {
  ASSERT_EQ(Application, nullptr);
  char A0[] = "prog", A1[] = "report.lxp";
  char* Argv[] = {A0, A1, nullptr};
  InitializeApplication(2, Argv);
  TApplication* First = Application;
  ASSERT_NE(First, nullptr);
  ASSERT_NE(QCoreApplication::instance(), nullptr);
  InitializeApplication();
  EXPECT_EQ(Application, First);
  EXPECT_EQ(Application->Params(), std::vector<std::string>{"report.lxp"});
  Application->SetTitle("Mivo Open Report");
  EXPECT_EQ(Application->Title(), "Mivo Open Report");
  EXPECT_NE(Application->ExeName().find("forms_tests"), std::string::npos);
  FinalizeApplication();
  EXPECT_EQ(Application, nullptr);
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
}

TEST(ApplicationTest, TerminateWakesAWaitingHandleMessageAndEndsRun) {
  InitializeApplication();
  EXPECT_FALSE(Application->Terminated());
  std::thread Stopper([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Application->Terminate();
  });
  Application->Run();  // returns only once terminated
  Stopper.join();
  EXPECT_TRUE(Application->Terminated());
  Application->HandleMessage();  // does not wait any more
  FinalizeApplication();
}
