// pindle: the runtime on the Qt backend, then the program's start-up window, then Qt's event
// loop until no window is left.  The program lives in the tray: closing its last visible
// window does not end it.
#include <QApplication>

#include "platform/program.h"
#include "platform/qt/qt_backend.h"
#include "platform/runtime.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName(QStringLiteral("Pindle"));
  QApplication::setDesktopFileName(QStringLiteral("pindle"));
  pindle::platform::qt::QtBackend backend;
  pindle::platform::Runtime runtime(backend);
  pindle::platform::StartProgram(runtime);
  if (!runtime.Ended() && runtime.AnyLoaded()) backend.Run();
  return 0;
}
