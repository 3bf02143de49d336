// What the Qt tests share: one offscreen application for the program, an
// operator who acts on the next modal window, and a worker thread run while
// the main thread serves Qt and the message queue. Include it from one
// source file per test program.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QTimer>
#include <functional>
#include <thread>

#include "app/qt/main_loop.h"

// Fontconfig keeps its caches until exit by design; the leak checker of
// the sanitizer build is told so (the function is inert elsewhere).
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

namespace qttest {

inline QApplication& App() {
  static int argc = 1;
  static char name[] = "telmora_gui_test";
  static char* argv[] = {name, nullptr};
  // Never a real window on the developer's screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication* app = new QApplication(argc, argv);  // for the whole program
  return *app;
}

// Plays the operator's part on the next modal window once it is up, from
// inside that window's own loop.
class OnNextModal : public QObject {
 public:
  explicit OnNextModal(std::function<void(QWidget*)> act) : act_(std::move(act)) { qApp->installEventFilter(this); }
  ~OnNextModal() override { qApp->removeEventFilter(this); }
  bool Acted() const { return acted_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* w = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show && act_ && w && w->isWindow() && w->isModal()) {
      QMetaObject::invokeMethod(
          w,
          [this, w, act = std::move(act_)] {
            acted_ = true;
            act(w);
            // Bounded: a window the operator's part failed to close fails
            // the test instead of hanging it.
            QTimer::singleShot(10000, w, [w] {
              if (!w->isVisible()) return;
              ADD_FAILURE() << "the modal window is still open";
              if (auto* d = qobject_cast<QDialog*>(w)) d->done(0);
            });
          },
          Qt::QueuedConnection);
      act_ = nullptr;
    }
    return false;
  }

 private:
  std::function<void(QWidget*)> act_;
  bool acted_ = false;
};

// Runs `work` on a worker thread while the main thread serves Qt and the
// message queue, as the window face does; bounded.
inline void RunOnWorkerWithQtLoop(const std::function<void()>& work) {
  qtview::MainLoop::Install();
  QEventLoop loop;
  std::thread worker([&] {
    work();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  QTimer::singleShot(20000, &loop, [&] {
    ADD_FAILURE() << "the worker's call was never served";
    loop.quit();
  });
  loop.exec();
  worker.join();
  qtview::MainLoop::Remove();
}

}  // namespace qttest
