// A Qt GUI library on its own (graphics, rich text): the Qt GUI application the program would
// make, headless unless QT_QPA_PLATFORM names a platform.
#include <QGuiApplication>
#include <cstdlib>
#include <memory>

#include "platform/graphics/GraphicsInit.h"
#include "tests/TestMain.h"

int main(int argc, char** argv) {
  std::unique_ptr<QGuiApplication> App;
  return RunTestProgram(
      argc, argv,
      [&App](int, char**) {
        static int Argc = 3;
        static char A0[] = "gui_tests", A1[] = "-platform", A2[] = "offscreen";
        static char* Argv[] = {A0, A1, A2, nullptr};
        const char* Named = std::getenv("QT_QPA_PLATFORM");
        if (Named && *Named) Argc = 1;
        App = std::make_unique<QGuiApplication>(Argc, Argv);
        InitializeGraphics();
      },
      [&App] {
        FinalizeGraphics();
        App.reset();
      });
}
