// The Qt backend's driver: keys and mouse through Qt's event loop, Japanese as input methods do;
// the session's end as a Wayland desktop's portal asks it, on a bus of its own; another X client
// grabbing a hotkey under X11.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <QTest>
#include <QtDBus>
#include <QtPrintSupport>
#include <QtWidgets>
#include <map>

#include "contract/driver.h"
#include "platform/qt/portal.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"
#include "temp_dir.h"

namespace pindle::contract {
namespace {

using namespace platform;
using namespace platform::qt;

// The pages of each document as the printer leaves them: the texts drawn, by their baselines.
// A line without text shows as the gap it leaves (one at the bottom of a page cannot show).
class PageRecorder final : public QPaintDevice, public QPaintEngine {
 public:
  std::vector<std::map<int, QString>> pages{{}};
  std::vector<PrintedDocument> documents;
  QPaintEngine* paintEngine() const override { return const_cast<PageRecorder*>(this); }
  bool begin(QPaintDevice*) override { return pages = {{}}, true; }
  bool end() override {
    PrintedDocument& doc = documents.emplace_back();
    for (const auto& page : pages) {
      auto& lines = doc.pages.emplace_back();
      for (const auto& [slot, text] : page)
        lines.resize(static_cast<std::size_t>(slot)), lines.push_back(FromQString(text));
    }
    return true;
  }
  void updateState(const QPaintEngineState&) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  Type type() const override { return User; }
  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    const QFontMetrics m(item.font(), this);
    const int top = logicalDpiY() * 2 / 3 + m.ascent(), h = m.lineSpacing();  // margin: 2/3 inch
    pages.back()[(static_cast<int>(p.y()) - top + h / 2) / h] += item.text();
  }
  int metric(PaintDeviceMetric m) const override {  // A4 at 300 dpi, one bit deep
    if (m == PdmWidth || m == PdmHeight) return m == PdmWidth ? 2480 : 3508;
    return m >= PdmDpiX && m <= PdmPhysicalDpiY ? 300 : 1;
  }
};

class Recorder final : public QObject {  // the shell's handler of the URL schemes
  Q_OBJECT
 public:
  std::vector<std::u16string> opened;
  Q_INVOKABLE void open(const QUrl& url) { opened.push_back(FromQString(url.toString())); }
};

QApplication& App() {
  static int argc = 1;
  static char name[] = "contract_tests_qt", *argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Lives to the end of the process: it must not go while statics of Qt's still need it.
  static QApplication* app = new QApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return *app;
}

constexpr const char* kSchemes[] = {"mailto", "http", "https"};

// The desktop's portal Inhibit on a private bus: the program's monitor, its inhibitions and its
// answers to query-end.  Paths as the portal makes them, from the caller's name and token.
class InhibitPortal final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Inhibit")
 public:
  QProcess daemon;
  QString monitor;
  unsigned inhibitedFlags = 0, answers = 0;
  QDBusConnection Bus(const QString& name) {
    if (daemon.state() == QProcess::NotRunning) {
      daemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address"});
      daemon.waitForReadyRead(5000);
      address_ = QString::fromUtf8(daemon.readLine()).trimmed();
      QDBusConnection desktop = Bus(QStringLiteral("desktop"));
      desktop.registerService(Portal::kService);
      desktop.registerObject(Portal::kPath, this, QDBusConnection::ExportAllSlots);
    }
    return QDBusConnection::connectToBus(address_, name + address_);
  }
  ~InhibitPortal() override {
    for (const char* n : {"desktop", "program"}) QDBusConnection::disconnectFromBus(n + address_);
    daemon.kill(), daemon.waitForFinished();
  }
  void SetState(unsigned state) {
    QDBusMessage m = QDBusMessage::createSignal(Portal::kPath, kInterface, "StateChanged");
    Bus(QStringLiteral("desktop"))
        .send(m << QVariant::fromValue(QDBusObjectPath(monitor))
                << QVariantMap{{"session-state", state}});
  }
 public slots:
  QDBusObjectPath CreateMonitor(const QString&, const QVariantMap& options,
                                const QDBusMessage& call) {
    monitor = PathOf(call, "session", options["session_handle_token"]);
    const QString request = PathOf(call, "request", options["handle_token"]);
    QTimer::singleShot(0, this, [this, request] {
      QDBusMessage m = QDBusMessage::createSignal(request, kRequest, "Response");
      Bus(QStringLiteral("desktop")).send(m << 0u << QVariantMap{{"session_handle", monitor}});
    });
    return QDBusObjectPath(request);
  }
  QDBusObjectPath Inhibit(const QString&, uint flags, const QVariantMap& o, const QDBusMessage& c) {
    inhibitedFlags = flags;
    return QDBusObjectPath(PathOf(c, "request", o["handle_token"]));
  }
  void QueryEndResponse(const QDBusObjectPath&) { ++answers; }

 private:
  static inline const QString kInterface = "org.freedesktop.portal.Inhibit",
                              kRequest = "org.freedesktop.portal.Request";
  static QString PathOf(const QDBusMessage& call, const char* kind, const QVariant& token) {
    return Portal::kPath + '/' + kind + '/' + call.service().mid(1).replace('.', '_') + '/' +
           token.toString();
  }
  QString address_;
};

class QtDriver final : public Driver {
 public:
  QtDriver() {
    rt_.UseAppPath(Utf8ToUtf16(dir_.Path().string()));
    backend_.SetLockPath(QString::fromStdString((dir_.Path() / "pindle.lock").string()));
    backend_.CurrentPrinter().UseDevice(&pages_,
                                        [this] { return pages_.pages.emplace_back(), true; });
    backend_.PrintDialog().printerNames = [this] {
      const bool fail =
          !printAnswers_.empty() && printAnswers_.front().first == PrintDialogAnswer::Fail;
      if (fail) printAnswers_.pop_front();
      return fail ? QStringList() : QStringList{QStringLiteral("PDF")};
    };
    for (const char* scheme : kSchemes) QDesktopServices::setUrlHandler(scheme, &shell_, "open");
    QObject::connect(&answerer_, &QTimer::timeout, [this] { AnswerModal(); });
    answerer_.start(10);
  }
  ~QtDriver() override {
    for (auto* s : kSchemes) QDesktopServices::unsetUrlHandler(s);
    if (x_) xcb_disconnect(x_);
  }

  Runtime& Rt() override { return rt_; }

  void Key(Form& form, int vk, bool shift) override {  // the key alone: characters come by Type
    QTest::sendKeyEvent(QTest::Click, Target(form), Qt::Key(QtKey(vk)), QString(),
                        shift ? Qt::ShiftModifier : Qt::NoModifier);
    Settle();
  }
  void Type(Form& form, std::u16string_view text) override {
    for (std::size_t i = 0, n = 1; i < text.size(); i += n) {
      n = QChar::isHighSurrogate(text[i]) ? 2 : 1;  // a surrogate pair is one character
      QInputMethodEvent commit;  // beyond ASCII, the input method commits the character
      commit.setCommitString(ToQString(text.substr(i, n)));
      if (text[i] < 0x80)  // CR and tab as Return and Tab
        QTest::keyClick(Target(form), static_cast<char>(text[i]));
      else
        QApplication::sendEvent(Target(form), &commit);
    }
    Settle();
  }
  void Press(Form& form, std::u16string_view control, int button) override {
    const int id = form.Definition().Find(control);
    QWidget* w = Window(form).ControlWidget(id);
    Click(w ? w : Window(form).SurfaceOf(id), button,
          w ? w->rect().center() : Window(form).ControlRect(id).center());
  }
  void PressSurface(Form& form, int button, int x, int y) override {
    Click(Window(form).Widget(), button, QPoint(x, y));
  }
  void Choose(Form& form, std::u16string_view control, int index) override {
    auto* combo = static_cast<QComboBox*>(Widget(form, control));
    Click(combo, 1, QPoint(combo->width() - 4, combo->height() / 2));
    const QPoint at = combo->view()->visualRect(combo->model()->index(index, 0)).center();
    // The list takes no release within a double-click time of opening.
    RunUntil([] { return false; }, QApplication::doubleClickInterval() + 50);
    QTest::mouseMove(combo->view()->viewport(), at);
    Click(combo->view()->viewport(), 1, at);
  }
  void CloseBox(Form& form) override { Window(form).Widget()->close(), Settle(); }
  void Post(Hwnd h, std::uint32_t msg, WParam w, LParam l) override {
    backend_.Os().PostMessage(h, msg, w, l), Settle();
  }
  bool RunUntil(const std::function<bool()>& done, int timeoutMs) override {
    for (QDeadlineTimer end(timeoutMs); !done(); QApplication::processEvents({}, 5))
      if (end.hasExpired()) return false;
    return true;
  }
  void AnswerPrintDialog(PrintDialogAnswer answer, PrintChoice choice) override {
    printAnswers_.emplace_back(answer, choice);
  }
  void AnswerPopupMenu(std::optional<std::u16string> i) override { menuAnswers_.push_back(i); }

  std::u16string Focus(Form& form) override {
    QWidget* focus = Window(form).Widget()->focusWidget();  // a control's widget, or inside it
    for (const auto& c : form.Definition().controls)
      if (QWidget* w = Widget(form, c.name); w && w->isAncestorOf(focus)) return c.name;
    return {};
  }
  std::u16string Text(Form& form, std::u16string_view control) override {
    QWidget* w = Widget(form, control);
    return w ? ControlText(*w) : Window(form).GetText(form.Definition().Find(control));
  }
  int Value(Form& form, std::u16string_view control) override {
    if (KindOf(form, control) == ControlKind::ComboBox)
      return Window(form).GetListIndex(form.Definition().Find(control));
    const auto* box = qobject_cast<QCheckBox*>(Widget(form, control));
    return box && box->isChecked();
  }
  bool Visible(Form& form, std::u16string_view control) override {
    QWidget* w = Widget(form, control);
    return w ? w->isVisibleTo(Window(form).Widget())
             : Window(form).GetControlVisible(form.Definition().Find(control));
  }
  bool WindowVisible(Form& form) override {
    return form.IsLoaded() && Window(form).Widget()->isVisible();
  }
  bool LoopEnded() override { return backend_.QuitRequested(); }
  std::vector<SeenMessageBox> MessageBoxes() override { return boxes_; }
  std::vector<PrintedDocument> Printed() override { return pages_.documents; }
  std::vector<std::u16string> ShellOpened() override { return shell_.opened; }
  std::vector<std::u16string> Notices() override {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* box = qobject_cast<QMessageBox*>(w);
      if (!box || box->isModal() || !box->isVisible()) continue;
      notices_.push_back(FromQString(box->text()));
      box->button(QMessageBox::Ok)->click();
      Settle();
    }
    return notices_;
  }
  bool EndSession() override {
    if (portal_.monitor.isEmpty()) backend_.WatchSessionEnd(portal_.Bus(QStringLiteral("program")));
    if (!RunUntil([&] { return !portal_.monitor.isEmpty(); }, 5000)) return false;
    const unsigned answered = portal_.answers;
    portal_.inhibitedFlags = 0;
    portal_.SetState(2);  // query-end
    RunUntil([&] { return portal_.answers > answered; }, 5000);
    if (portal_.inhibitedFlags & 1) return portal_.SetState(1), Settle(), false;  // runs on
    portal_.SetState(3);                                                          // ending
    return RunUntil([&] { return LoopEnded(); }, 5000);
  }
  bool HoldHotkeyElsewhere(unsigned modifiers, unsigned vk) override {
    if (QGuiApplication::platformName() != QStringLiteral("xcb") || modifiers != kModAlt)
      return false;
    if (!x_) x_ = xcb_connect(nullptr, nullptr);
    xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(x_);
    xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, 0xFFBE + (vk - kVkF1));
    xcb_grab_key(x_, 0, xcb_setup_roots_iterator(xcb_get_setup(x_)).data->root, XCB_MOD_MASK_1,
                 codes[0], XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    std::free(xcb_get_input_focus_reply(x_, xcb_get_input_focus(x_), nullptr));  // grabbed now
    std::free(codes), xcb_key_symbols_free(symbols);
    return true;
  }

 private:
  void Click(QWidget* w, int button, QPoint at) {
    const auto b = button == 2 ? Qt::RightButton : button == 4 ? Qt::MiddleButton : Qt::LeftButton;
    QTest::mouseClick(w, b, {}, at);
    Settle();
  }
  QtWindow& Window(Form& form) { return static_cast<QtWindow&>(form.Peer()); }
  QWidget* Widget(Form& form, std::u16string_view control) {
    return Window(form).ControlWidget(form.Definition().Find(control));
  }
  QWidget* Target(Form& form) {
    QWidget* w = Window(form).Widget();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    return w->focusWidget() ? w->focusWidget() : w;
  }
  void Settle() { QApplication::processEvents(); }

  // From the timer, while a menu, a message box or the print dialog runs its own loop.
  void AnswerModal() {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      const std::optional<std::u16string> item = Next(menuAnswers_).value_or(std::nullopt);
      QAction* chosen = item ? menu->findChild<QAction*>(ToQString(*item)) : nullptr;
      if (!chosen || chosen->isSeparator()) return QTest::keyClick(menu, Qt::Key_Escape);
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
    } else if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      boxes_.push_back({FromQString(box->text()), box->icon() == QMessageBox::Critical ? 16 : 0,
                        FromQString(box->windowTitle())});
      box->button(QMessageBox::Ok)->click();
    } else if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
      const auto answer = Next(printAnswers_);
      if (!answer || answer->first != PrintDialogAnswer::Ok) return dialog->reject();
      if (auto* copies = dialog->findChild<QSpinBox*>(QStringLiteral("copies")))
        copies->setValue(answer->second.copies);
      const bool landscape = answer->second.orientation == kLandscape;
      dialog->printer()->setPageOrientation(landscape ? QPageLayout::Landscape
                                                      : QPageLayout::Portrait);
      dialog->accept();
    }
  }

  QApplication& app_ = App();
  testing::TempDir dir_;
  QtBackend backend_;
  Runtime rt_{backend_};
  PageRecorder pages_;
  Recorder shell_;
  QTimer answerer_;
  InhibitPortal portal_;
  xcb_connection_t* x_ = nullptr;  // another X client
  std::vector<SeenMessageBox> boxes_;
  std::vector<std::u16string> notices_;
  std::deque<std::optional<std::u16string>> menuAnswers_;
  std::deque<std::pair<PrintDialogAnswer, PrintChoice>> printAnswers_;
};

}  // namespace

std::unique_ptr<Driver> MakeDriver() {
  return std::make_unique<QtDriver>();
}

}  // namespace pindle::contract

#include "qt_driver.moc"
