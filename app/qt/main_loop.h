// Qt's event loop and the main thread's message queue, as one loop: a post
// to the main thread schedules a drain of the queue inside Qt, and a pump of
// the queue by the component (its waits inside Play and Record) lets Qt
// handle pending input, so the window stays alive.
#pragma once

#include <QObject>

namespace qtview {

class MainLoop : public QObject {
  Q_OBJECT

 public:
  // Hooks the main thread's queue to Qt; needs the QApplication.
  static void Install();
  // Unhooks it; posts that arrive later wait in the queue.
  static void Remove();
  static MainLoop& Instance();

  // Dispatches every message queued for the main thread, now.
  static void Drain();
  // How many drains are dispatching right now (nested ones included).
  static int Depth();

 signals:
  // Form code may have changed what the views show: the outermost drain
  // has finished, or a pump inside a long wait is about to handle input.
  void FormCodeRan();
};

}  // namespace qtview
