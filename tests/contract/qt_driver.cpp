// The contract suite's driver for the Qt backend: the user's keys and mouse go through Qt's
// input path (synthesized events at the focused widget, delivered by QApplication, the real
// event loop), Japanese text arrives as the input method commits it, and what the user sees is
// read from the widgets.  Modal things (message boxes, menus, the print dialog) are answered
// from a timer while their own loops run.  Printing goes to a paint device that keeps the text
// drawn on each page.
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPaintEngine>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <QUrl>
#include <deque>
#include <map>

#include "contract/driver.h"
#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"
#include "temp_dir.h"

namespace pindle::contract {
namespace {

using namespace platform::qt;

// The pages of each document as the printer leaves them: the texts drawn, by their baselines.
// A line without text shows as the gap it leaves (one at the bottom of a page cannot show).
class PageRecorder final : public QPaintDevice, public QPaintEngine {
 public:
  std::vector<std::map<int, QString>> pages{{}};
  std::vector<PrintedDocument> documents;
  int lineSpacing = 1, firstBaseline = 0;
  QPaintEngine* paintEngine() const override { return const_cast<PageRecorder*>(this); }
  bool begin(QPaintDevice*) override { return pages = {{}}, true; }
  bool end() override {
    PrintedDocument& doc = documents.emplace_back();
    for (const auto& page : pages) {
      auto& lines = doc.pages.emplace_back();
      for (const auto& [y, text] : page) {
        const auto slot =
            static_cast<std::size_t>((y - firstBaseline + lineSpacing / 2) / lineSpacing);
        if (lines.size() < slot) lines.resize(slot);
        lines.push_back(FromQString(text));
      }
    }
    return true;
  }
  void updateState(const QPaintEngineState&) override {}
  void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
  Type type() const override { return User; }
  void drawTextItem(const QPointF& p, const QTextItem& item) override {
    const QFontMetrics m(item.font(), this);
    lineSpacing = m.lineSpacing();
    firstBaseline = logicalDpiY() * 2 / 3 + m.ascent();  // the top margin: two thirds of an inch
    pages.back()[static_cast<int>(p.y())] += item.text();
  }
  int metric(PaintDeviceMetric m) const override {
    switch (m) {
      case PdmWidth:
        return 2480;  // A4 at 300 dpi
      case PdmHeight:
        return 3508;
      case PdmDpiX:
      case PdmDpiY:
      case PdmPhysicalDpiX:
      case PdmPhysicalDpiY:
        return 300;
      case PdmDepth:
        return 1;
      default:
        return 1;
    }
  }
};

class Recorder final : public QObject {
  Q_OBJECT
 public:
  std::vector<std::u16string> opened;
  Q_INVOKABLE void open(const QUrl& url) { opened.push_back(FromQString(url.toString())); }
};

class RunningClock final : public platform::Clock {
 public:
  explicit RunningClock(const platform::Clock& system) : system_(system) {}
  platform::DateTime Now() const override { return system_.Now().PlusMilliseconds(offset); }
  std::u16string DateTimeText(const platform::DateTime& t) const override {
    return system_.DateTimeText(t);
  }
  std::int64_t offset = 0;

 private:
  const platform::Clock& system_;
};

QApplication& App() {
  static int argc = 1;
  static char name[] = "contract_tests_qt";
  static char* argv[] = {name, nullptr};
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // Lives to the end of the process: it must not go while statics of Qt's still need it.
  static QApplication* app = new QApplication(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return *app;
}

class QtDriver final : public Driver {
 public:
  QtDriver() {
    rt_.UseAppPath(platform::Utf8ToUtf16(dir_.Path().string()));
    backend_.SetLockPath(QString::fromStdString((dir_.Path() / "pindle.lock").string()));
    backend_.PagePrinter().UseDevice(&pages_, [this] { return pages_.pages.emplace_back(), true; });
    backend_.Dialog().printerNames = [this] {
      const bool fail =
          !printAnswers_.empty() && printAnswers_.front().first == PrintDialogAnswer::Fail;
      if (fail) printAnswers_.pop_front();
      return fail ? QStringList() : QStringList{QStringLiteral("PDF")};
    };
    for (const char* scheme : {"mailto", "http", "https"})
      QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &shell_, "open");
    QObject::connect(&answerer_, &QTimer::timeout, [this] { AnswerModal(); });
    answerer_.start(10);
  }
  ~QtDriver() override {
    for (const char* scheme : {"mailto", "http", "https"})
      QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
  }

  platform::Runtime& Rt() override { return rt_; }

  void Key(Form& form, int vk, int shift) override {
    const Qt::KeyboardModifiers mods = ((shift & kShift) ? Qt::ShiftModifier : Qt::NoModifier) |
                                       ((shift & kCtrl) ? Qt::ControlModifier : Qt::NoModifier) |
                                       ((shift & kAlt) ? Qt::AltModifier : Qt::NoModifier);
    // The key alone: characters come with Type.
    QTest::sendKeyEvent(QTest::Click, Target(form), static_cast<Qt::Key>(QtKey(vk)), QString(),
                        mods);
    Settle();
  }
  void Type(Form& form, std::u16string_view text) override {
    for (std::size_t i = 0; i < text.size(); ++i) {
      const QChar c(text[i]);
      if (c == u'\r' || c == u'\t') {
        QTest::keyClick(Target(form), c == u'\r' ? Qt::Key_Return : Qt::Key_Tab);
      } else if (c.unicode() < 0x80) {
        QTest::keyClick(Target(form), c.toLatin1());
      } else {  // committed by the input method, a surrogate pair as one character
        QInputMethodEvent commit;
        commit.setCommitString(ToQString(text.substr(i, c.isHighSurrogate() ? 2 : 1)));
        if (c.isHighSurrogate()) ++i;
        QApplication::sendEvent(Target(form), &commit);
      }
    }
    Settle();
  }
  void Press(Form& form, std::u16string_view control, int button) override {
    const int id = form.Definition().Find(control);
    QWidget* w = Window(form).ControlWidget(id);
    const QPoint at = w ? w->rect().center() : Window(form).ControlRect(id).center();
    QTest::mouseClick(w ? w : Window(form).SurfaceOf(id), Button(button), {}, at);
    Settle();
  }
  void PressSurface(Form& form, int button, int x, int y) override {
    QTest::mouseClick(Window(form).Widget(), Button(button), {}, QPoint(x, y));
    Settle();
  }
  void Choose(Form& form, std::u16string_view control, int index) override {
    auto* combo =
        static_cast<QComboBox*>(Window(form).ControlWidget(form.Definition().Find(control)));
    QTest::mouseClick(combo, Qt::LeftButton, {}, QPoint(combo->width() - 4, combo->height() / 2));
    Settle();
    QWidget* list = combo->view()->viewport();
    const QPoint at = combo->view()->visualRect(combo->model()->index(index, 0)).center();
    // The list takes no release within a double-click time of opening.
    RunUntil([] { return false; }, QApplication::doubleClickInterval() + 50);
    QTest::mouseMove(list, at);
    QTest::mouseClick(list, Qt::LeftButton, {}, at);
    Settle();
  }
  void CloseBox(Form& form) override {
    Window(form).Widget()->close();
    Settle();
  }
  void Post(platform::Hwnd hWnd, std::uint32_t uMsg, platform::WParam wParam,
            platform::LParam lParam) override {
    backend_.Machine().PostMessage(hWnd, uMsg, wParam, lParam);
    Settle();
  }
  bool RunUntil(const std::function<bool()>& done, int timeoutMs) override {
    QElapsedTimer elapsed;
    elapsed.start();
    while (!done()) {
      if (elapsed.elapsed() >= timeoutMs) return false;
      QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
  }
  void AnswerPrintDialog(PrintDialogAnswer answer, platform::PrintChoice choice) override {
    printAnswers_.emplace_back(answer, choice);
  }
  void AnswerPopupMenu(std::optional<std::u16string> item) override {
    menuAnswers_.push_back(std::move(item));
  }
  void SetClock(const platform::DateTime& t) override {
    clock_.offset = t.ToMilliseconds() - backend_.GetClock().Now().ToMilliseconds();
    rt_.UseClock(&clock_);
  }
  std::u16string AppDir() override { return rt_.AppPath(); }

  std::u16string Focus(Form& form) override {
    QWidget* focus = Window(form).Widget()->focusWidget();
    for (std::size_t i = 0; focus && i < form.Definition().controls.size(); ++i) {
      QWidget* w = Window(form).ControlWidget(static_cast<int>(i));
      if (w && (w == focus || w->isAncestorOf(focus))) return form.Definition().controls[i].name;
    }
    return {};
  }
  std::u16string Text(Form& form, std::u16string_view control) override {
    const int id = form.Definition().Find(control);
    QWidget* w = Window(form).ControlWidget(id);
    return w ? ControlText(*w) : Window(form).GetText(id);
  }
  std::pair<int, int> Selection(Form& form, std::u16string_view control) override {
    QWidget* w = Window(form).ControlWidget(form.Definition().Find(control));
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
      if (!line->hasSelectedText()) return {line->cursorPosition(), line->cursorPosition()};
      return {line->selectionStart(), line->selectionEnd()};
    }
    const QTextCursor c = static_cast<QPlainTextEdit*>(w)->textCursor();
    const auto crlf = [&](int pos) {  // each line break before pos is CR LF to the program
      return pos + c.document()->findBlock(pos).blockNumber();
    };
    return {crlf(c.selectionStart()), crlf(c.selectionEnd())};
  }
  int ListIndex(Form& form, std::u16string_view control) override {
    return Window(form).GetListIndex(form.Definition().Find(control));
  }
  int Value(Form& form, std::u16string_view control) override {
    const auto* box =
        qobject_cast<QCheckBox*>(Window(form).ControlWidget(form.Definition().Find(control)));
    return box && box->isChecked() ? 1 : 0;
  }
  bool Visible(Form& form, std::u16string_view control) override {
    const int id = form.Definition().Find(control);
    QWidget* w = Window(form).ControlWidget(id);
    return w ? w->isVisibleTo(Window(form).Widget()) : Window(form).GetControlVisible(id);
  }
  bool WindowVisible(Form& form) override {
    return form.IsLoaded() && Window(form).Widget()->isVisible();
  }
  bool LoopEnded() override { return backend_.QuitRequested(); }
  std::vector<SeenMessageBox> MessageBoxes() override { return boxes_; }
  std::vector<PrintedDocument> Printed() override { return pages_.documents; }
  std::vector<std::u16string> ShellOpened() override { return shell_.opened; }
  std::u16string TrayTip() {
    const QSystemTrayIcon* icon = backend_.Machine().TrayIcon();
    return icon && icon->isVisible() ? FromQString(icon->toolTip()) : std::u16string();
  }

 private:
  static Qt::MouseButton Button(int button) {
    return button == 2 ? Qt::RightButton : button == 4 ? Qt::MiddleButton : Qt::LeftButton;
  }
  QtWindow& Window(Form& form) { return static_cast<QtWindow&>(form.Peer()); }
  QWidget* Target(Form& form) {
    QWidget* w = Window(form).Widget();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    return w->focusWidget() ? w->focusWidget() : w;
  }
  void Settle() { QApplication::processEvents(); }

  void AnswerModal() {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      QAction* chosen = nullptr;
      if (!menuAnswers_.empty() && menuAnswers_.front()) {
        chosen = menu->findChild<QAction*>(ToQString(*menuAnswers_.front()));
      }
      if (!menuAnswers_.empty()) menuAnswers_.pop_front();
      if (chosen && !chosen->isSeparator()) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(chosen).center());
      } else {
        QTest::keyClick(menu, Qt::Key_Escape);
      }
    } else if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      boxes_.push_back({FromQString(box->text()), box->icon() == QMessageBox::Critical ? 16 : 0,
                        FromQString(box->windowTitle())});
      box->button(QMessageBox::Ok)->click();
    } else if (auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget())) {
      if (printAnswers_.empty() || printAnswers_.front().first != PrintDialogAnswer::Ok) {
        if (!printAnswers_.empty()) printAnswers_.pop_front();
        dialog->reject();
        return;
      }
      const platform::PrintChoice choice = printAnswers_.front().second;
      printAnswers_.pop_front();
      if (auto* copies = dialog->findChild<QSpinBox*>(QStringLiteral("copies")))
        copies->setValue(choice.copies);
      dialog->printer()->setPageOrientation(choice.orientation == platform::kLandscape
                                                ? QPageLayout::Landscape
                                                : QPageLayout::Portrait);
      dialog->accept();
    }
  }

  QApplication& app_ = App();
  testing::TempDir dir_;
  QtBackend backend_;
  platform::Runtime rt_{backend_};
  RunningClock clock_{backend_.GetClock()};
  PageRecorder pages_;
  Recorder shell_;
  QTimer answerer_;
  std::vector<SeenMessageBox> boxes_;
  std::deque<std::optional<std::u16string>> menuAnswers_;
  std::deque<std::pair<PrintDialogAnswer, platform::PrintChoice>> printAnswers_;
};

}  // namespace

std::unique_ptr<Driver> MakeDriver() {
  return std::make_unique<QtDriver>();
}

}  // namespace pindle::contract

#include "qt_driver.moc"
