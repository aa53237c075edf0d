#include "platform/qt/qt_backend.h"

#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>

#include "platform/qt/portal.h"
#include "platform/qt/portal_session_end.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"
#include "platform/runtime.h"

namespace pindle::platform::qt {

namespace {

std::int64_t SystemMilliseconds() {
  const QDateTime now = QDateTime::currentDateTime();
  const QDate d = now.date();
  const QTime t = now.time();
  return DateTime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), t.msec()}
      .ToMilliseconds();
}

// The locale's short time format with seconds ("H:mm:ss" in Japanese).
QString TimeFormat(const QLocale& locale) {
  QString format = locale.timeFormat(QLocale::ShortFormat);
  if (!format.contains(QLatin1Char('s')))
    format.replace(QStringLiteral("mm"), QStringLiteral("mm:ss"));
  return format;
}

}  // namespace

DateTime QtClock::Now() const {
  return DateTime::FromMilliseconds(SystemMilliseconds());
}

std::u16string QtClock::DateTimeText(const DateTime& t) const {
  const QLocale locale = QLocale::system();
  if (locale.language() == QLocale::C) return DefaultDateTimeText(t);
  const QDate date(t.year, t.month, t.day);
  const QTime time(t.hour, t.minute, t.second);
  return FromQString(locale.toString(date, QLocale::ShortFormat) + QLatin1Char(' ') +
                     locale.toString(time, TimeFormat(locale)));
}

QtBackend::QtBackend() : sessionEnd_(std::make_unique<SessionEnd>()) {
  os_.SetWindowDefinitions([this](Hwnd hWnd) -> const FormDef* {
    const QtWindow* window = WindowOf(hWnd);
    return window ? &window->Def() : nullptr;
  });
  if (WaylandSession()) WatchSessionEnd(QDBusConnection::sessionBus());
}

void QtBackend::WatchSessionEnd(const QDBusConnection& bus) {
  sessionEnd_->WatchPortal(bus);
}

QtBackend::~QtBackend() = default;

std::unique_ptr<WindowPeer> QtBackend::CreatePeer(Form& form, const FormDef& def) {
  return std::make_unique<QtWindow>(*this, form, def);
}

Hwnd QtBackend::Register(QtWindow* window) {
  const Hwnd handle = os_.Handles().NextWindow();
  windows_[handle] = window;
  os_.Chain().Add(handle);
  return handle;
}

void QtBackend::Unregister(QtWindow* window) {
  os_.Chain().Remove(window->Handle());
  windows_.erase(window->Handle());
  // A second later, when the window's widgets and their deferred deletions are gone, the heap
  // gives back the pages they freed: a quick memo window that showed a 10 MB memo left ~115 MB
  // of freed heap with the resident program.
  QTimer::singleShot(1000, [] { ::malloc_trim(0); });
}

QtWindow* QtBackend::WindowOf(Hwnd hWnd) const {
  const auto it = windows_.find(hWnd);
  return it == windows_.end() ? nullptr : it->second;
}

int QtBackend::ShowMessageBox(Hwnd, const std::u16string& prompt, int style,
                              const std::u16string& title) {
  // Like the program's other windows, the box has no owner; it keeps them from input while
  // it is open.
  QMessageBox box((style & kMbIconStop) ? QMessageBox::Critical : QMessageBox::NoIcon,
                  ToQString(title), ToQString(prompt), QMessageBox::Ok);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
  return kIdOk;
}

void QtBackend::ShowNotice(const std::u16string& prompt) {
  // Also in the session's log, for a desktop that shows the box nowhere.
  const QString text = ToQString(prompt);
  qWarning().noquote() << text;
  auto* box =
      new QMessageBox(QMessageBox::Information, ToQString(kAppTitle), text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);  // a message box is application-modal unless told
  box->show();
}

void QtBackend::Beep() {
  QApplication::beep();
}

std::u16string QtBackend::AppPath() const {
  const QString exeDir = QCoreApplication::applicationDirPath();
  if (::access(QFile::encodeName(exeDir).constData(), W_OK) == 0) return FromQString(exeDir);
  // Installed for every user: the memo is the user's own.
  QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  if (data.isEmpty()) data = QDir::homePath() + QStringLiteral("/.local/share");
  const QString dir = data + QStringLiteral("/pindle");
  QDir().mkpath(dir);
  return FromQString(dir);
}

bool QtBackend::PrevInstance() {
  if (!prevInstance_) {
    QString path = lockPath_;
    if (path.isEmpty()) {
      QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
      if (runtime.isEmpty()) runtime = QDir::tempPath();
      path = runtime + QStringLiteral("/pindle.lock");
    }
    lock_ = std::make_unique<QLockFile>(path);
    lock_->setStaleLockTime(0);  // only a lock whose process is gone is stale
    prevInstance_ = !lock_->tryLock(0);
  }
  return *prevInstance_;
}

float QtBackend::TwipsPerPixelX() const {
  // Whole twips per pixel, so that a pixel count turned into twips and back comes out exact.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int dpi = screen ? static_cast<int>(screen->logicalDotsPerInchX() + 0.5) : 96;
  return static_cast<float>(TwipsPerPixel(dpi));
}

void QtBackend::Quit() {
  quit_ = true;
  // Only the loop Run started ends: exit() outside it would end every modal loop to come.
  if (running_) QCoreApplication::exit(0);
}

void QtBackend::Run() {
  if (quit_) return;
  running_ = true;
  QApplication::exec();
  running_ = false;
}

}  // namespace pindle::platform::qt
