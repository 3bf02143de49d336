// The program entry: the main form in a window when there is a display to
// show it on, typed commands on the console otherwise (or with --console).
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "app/FormTAPIMain.h"
#include "app/console_face.h"
#include "app/line_service_start.h"
#ifdef TELMORA_WITH_QT
#include "app/qt/window_face.h"
#endif

namespace {

// Runs once the face's interaction is in force, so a start-up problem is
// shown where the operator looks.
std::unique_ptr<TCustomForm> CreateMainForm() {
  StartLineService();
  auto form = std::make_unique<TForm1>(nullptr);
  Form1 = form.get();
  return form;
}

#ifdef TELMORA_WITH_QT
bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

bool WantsWindow(int argc, char* argv[]) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--console") == 0) return false;
  return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") || IsSet("QT_QPA_PLATFORM");
}
#endif

}  // namespace

int main(int argc, char* argv[]) {
  try {
#ifdef TELMORA_WITH_QT
    if (WantsWindow(argc, argv)) return RunWindowFace(argc, argv, CreateMainForm);
#else
    (void)argc;
    (void)argv;
#endif
    return RunConsoleFace(std::cin, CreateMainForm);
  } catch (const std::exception& e) {
    ShowException(e);
  }
  return 0;
}
