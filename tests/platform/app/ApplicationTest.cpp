#include "platform/app/Application.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <cstdlib>
#include <thread>

#include "platform/app/Cursors.h"
#include "platform/app/Messages.h"
#include "platform/graphics/FontEngine.h"
#include "platform/graphics/GraphicsInit.h"

// The test main made the application; each test leaves it made.
TEST(ApplicationTest, StartUpIsCountedAndTheLastFinaliseUndoesItInReverse) {
  TApplication* Outer = Application;
  ASSERT_NE(Outer, nullptr);
  InitializeApplication();
  EXPECT_EQ(Application, Outer);
  FinalizeApplication();
  EXPECT_EQ(Application, Outer);

  FinalizeApplication();
  EXPECT_EQ(Application, nullptr);
  EXPECT_EQ(QCoreApplication::instance(), nullptr);
  EXPECT_FALSE(GraphicsInitialized());
  // Measuring text needs the Qt application: before the start-up it is an
  // error, never a Qt application made behind the program's back.
  EXPECT_THROW(FontEngine::Metrics(TLogFont{}), EInvalidOperation);
  EXPECT_EQ(QCoreApplication::instance(), nullptr);

  // Without a display and without QT_QPA_PLATFORM, Offscreen picks Qt's
  // offscreen platform and leaves the environment as it was.
  std::string Named = std::getenv("QT_QPA_PLATFORM") ? std::getenv("QT_QPA_PLATFORM") : "";
  unsetenv("QT_QPA_PLATFORM");
  char A0[] = "prog", A1[] = "report.lxp";
  char* Argv[] = {A0, A1, nullptr};
  InitializeApplication(2, Argv, TDisplayMode::Offscreen);
  EXPECT_EQ(std::getenv("QT_QPA_PLATFORM"), nullptr);
  if (!Named.empty()) setenv("QT_QPA_PLATFORM", Named.c_str(), 1);
  ASSERT_NE(Application, nullptr);
  EXPECT_EQ(QGuiApplication::platformName(), "offscreen");
  EXPECT_TRUE(GraphicsInitialized());
  EXPECT_GT(FontEngine::Metrics(TLogFont{}).Height, 0);
  EXPECT_EQ(Application->Params(), std::vector<std::string>{"report.lxp"});
  Application->SetTitle("Mivo Open Report");
  EXPECT_EQ(Application->Title(), "Mivo Open Report");
  EXPECT_NE(Application->ExeName().find("app_tests"), std::string::npos);
}

TEST(ApplicationTest, TerminateWakesAWaitingHandleMessageAndEndsRun) {
  EXPECT_FALSE(Application->Terminated());
  std::thread Stopper([] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Application->Terminate();
  });
  Application->Run();  // returns only once terminated
  Stopper.join();
  EXPECT_TRUE(Application->Terminated());
  Application->HandleMessage();  // does not wait any more
  // A fresh start-up for the tests that follow.
  FinalizeApplication();
  InitializeApplication(0, nullptr, TDisplayMode::Offscreen);
  EXPECT_FALSE(Application->Terminated());
}

// The application's cursor overrides every window's through Qt while it is not crDefault, and set
// back it leaves no override behind. Another thread (a background print) changes nothing.
TEST(ApplicationTest, ScreenCursorOverridesThroughQtOnTheMainThreadOnly) {
  ASSERT_EQ(crDefault, ScreenCursor());
  SetScreenCursor(crHourGlass);
  ASSERT_NE(nullptr, QGuiApplication::overrideCursor());
  EXPECT_EQ(Qt::WaitCursor, QGuiApplication::overrideCursor()->shape());
  SetScreenCursor(crCross);  // replaces, not stacks
  EXPECT_EQ(Qt::CrossCursor, QGuiApplication::overrideCursor()->shape());
  std::thread([] { SetScreenCursor(crDefault); }).join();
  EXPECT_EQ(crCross, ScreenCursor());
  SetScreenCursor(crDefault);
  EXPECT_EQ(nullptr, QGuiApplication::overrideCursor());
  EXPECT_EQ(crDefault, ScreenCursor());
}
