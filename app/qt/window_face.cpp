#include "app/qt/window_face.h"

#include <QApplication>

#include "app/qt/form_window.h"
#include "app/qt/main_loop.h"
#include "app/qt/qt_ui.h"
#include "app/qt/qt_text.h"

int RunWindowFace(int& argc, char** argv, const std::function<std::unique_ptr<TCustomForm>()>& createMainForm) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(qtview::ToQString(ApplicationTitle));
  std::unique_ptr<TUserInteraction> previousUI = platform::SetUI(std::make_unique<qtview::QtUserInteraction>());
  qtview::MainLoop::Install();
  {
    std::unique_ptr<TCustomForm> form;
    try {
      form = createMainForm();
    } catch (const std::exception& e) {
      ShowException(e);
    }
    if (form) {
      qtview::FormWindow window(std::move(form));
      window.show();
      QApplication::exec();
    }
  }
  qtview::MainLoop::Remove();
  platform::SetUI(std::move(previousUI));
  return 0;
}
