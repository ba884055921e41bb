#include "platform/forms/DesktopFacts.h"

#include <QClipboard>
#include <QLineEdit>
#include <thread>

#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "tests/platform/forms/FormsTestUtil.h"

class DesktopFactsTest : public FormsTest {};

// What a crash report reads of the desktop: the active form, the focused control (a password
// masked), the clipboard; nothing from a thread other than the widgets'.
TEST_F(DesktopFactsTest, ActiveFormFocusedControlAndClipboard) {
  TDesktopHooks H = QtDesktopHooks(true);
  TForm Form(nullptr);
  Form.SetCaption("Visualizador de Relatórios");
  auto* Name = new TEdit(&Form);
  Name->SetParent(&Form);
  Name->SetText("Ana\tMaria");
  auto* Secret = new TEdit(&Form);
  Secret->SetParent(&Form);
  Secret->SetTop(30);
  Secret->SetText("s3nha");
  Form.Show();
  Application->ProcessMessages();
  Name->SetFocus();
  auto Window = H.ActiveWindow();
  ASSERT_TRUE(Window);
  EXPECT_EQ(Window->ClassName, "TForm");
  EXPECT_EQ(Window->Text, "Visualizador de Relatórios");
  auto Control = H.FocusedControl();
  ASSERT_TRUE(Control);
  EXPECT_EQ(Control->ClassName, "TEdit");
  EXPECT_EQ(Control->Text, "Ana\tMaria");
  Secret->SetFocus();
  static_cast<QLineEdit*>(Secret->Widget())->setEchoMode(QLineEdit::Password);  // a TEdit is a line edit
  EXPECT_EQ(H.FocusedControl()->Text, "*****");

  ASSERT_TRUE(H.CopyText("relatório\r\nlinha 2"));
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "relatório\r\nlinha 2");
  std::thread Other([&] {
    EXPECT_FALSE(H.ActiveWindow());
    EXPECT_FALSE(H.FocusedControl());
    EXPECT_FALSE(H.CopyText("x"));
  });
  Other.join();
  // Offscreen, the program installs no clipboard: a copy would end with the process.
  EXPECT_FALSE(DesktopHooks().CopyText);
  EXPECT_TRUE(DesktopHooks().ActiveWindow);
}
