#include "app/qt/main_loop.h"

#include <QCoreApplication>
#include <atomic>

#include "platform/forms.h"
#include "platform/kernel.h"
#include "platform/messages.h"
#include "platform/thread.h"

namespace qtview {

namespace {

std::atomic<bool> g_drainScheduled{false};
int g_depth = 0;
// True while the drain itself looks at the queue: an empty queue then must
// not turn into a nested processEvents from inside Qt's own dispatch.
bool g_drainPeeking = false;

void ScheduleDrain() {
  if (g_drainScheduled.exchange(true)) return;
  QCoreApplication* app = QCoreApplication::instance();
  if (!app) {
    g_drainScheduled = false;
    return;
  }
  QMetaObject::invokeMethod(app, &MainLoop::Drain, Qt::QueuedConnection);
}

void PumpToolkit() {
  if (g_drainPeeking) return;
  emit MainLoop::Instance().FormCodeRan();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace

MainLoop& MainLoop::Instance() {
  static MainLoop* loop = new MainLoop;  // lives as long as the process
  return *loop;
}

void MainLoop::Install() {
  const DWORD main = platform::MainThreadID();
  platform::SetPostHook(main, ScheduleDrain);
  platform::SetToolkitPump(main, PumpToolkit);
  // Whatever was posted before the hook existed.
  g_drainScheduled = false;
  ScheduleDrain();
}

void MainLoop::Remove() {
  const DWORD main = platform::MainThreadID();
  platform::SetPostHook(main, nullptr);
  platform::SetToolkitPump(main, nullptr);
}

int MainLoop::Depth() { return g_depth; }

void MainLoop::Drain() {
  // Cleared first: a post that lands while this drain runs schedules the
  // next one instead of being lost.
  g_drainScheduled = false;
  ++g_depth;
  MSG msg;
  for (;;) {
    const bool wasPeeking = g_drainPeeking;
    g_drainPeeking = true;
    const BOOL got = PeekMessage(&msg, 0, 0, 0, PM_REMOVE);
    g_drainPeeking = wasPeeking;
    if (!got) break;
    if (msg.message == WM_QUIT) {
      // Someone asked the program to end: the windows close as the
      // operator would close them.
      QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
      continue;
    }
    HandleMessage(msg);
  }
  // Calls that reached the main thread by its sync event alone.
  try {
    platform::CheckSynchronize();
  } catch (const std::exception& e) {
    ShowException(e);
  }
  --g_depth;
  if (g_depth == 0) emit Instance().FormCodeRan();
}

}  // namespace qtview
