#include "platform/qt/qt_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QIcon>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "platform/qt/qt_backend.h"
#include "platform/qt/qt_controls.h"
#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_text.h"
#include "platform/stand_in_handles.h"

namespace pindle::platform::qt {

namespace {

QColor ToQColor(const Color& c) {
  return QColor(c.r, c.g, c.b);
}

Qt::WindowFlags FlagsOf(const FormDef& def) {
  Qt::WindowFlags f = def.showInTaskbar ? Qt::Window : Qt::Tool;
  if (def.border == BorderStyle::None) return f | Qt::FramelessWindowHint;
  f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (def.controlBox) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (def.minButton) f |= Qt::WindowMinimizeButtonHint;
  if (def.maxButton) f |= Qt::WindowMaximizeButtonHint;
  return f;
}

void DeleteLater(FormWidget* w) {
  if (!w) return;
  w->SetOwner(nullptr);
  w->hide();
  w->deleteLater();  // it may be inside one of its own events now
}

std::uint32_t ButtonMessage(Qt::MouseButton button) {
  switch (button) {
    case Qt::LeftButton:
      return msg::kLButtonDown;
    case Qt::RightButton:
      return msg::kRButtonDown;
    case Qt::MiddleButton:
      return msg::kMButtonDown;
    default:
      return 0;
  }
}

}  // namespace

QtWindow::QtWindow(QtBackend& backend, Form& form, const FormDef& def)
    : backend_(backend),
      form_(form),
      def_(def),
      model_(form, def),
      widget_(new FormWidget(FlagsOf(def)), &DeleteLater),
      controls_(def.controls.size()) {
  handle_ = backend_.Register(this);
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    dpi_ = std::max(1, static_cast<int>(screen->logicalDotsPerInchX() + 0.5));
  widget_->SetOwner(this);
  widget_->setWindowTitle(ToQString(def.caption));
  widget_->setAttribute(Qt::WA_InputMethodEnabled, false);
  if (def.icon != FormIcon::None) {
    widget_->setWindowIcon(QIcon(def.icon == FormIcon::Product
                                     ? QStringLiteral(":/pindle/product.ico")
                                     : QStringLiteral(":/pindle/dialog.ico")));
  }
  widget_->setFont(FontOf(std::nullopt));
  CreateControls();
  PlaceWindow();
}

QtWindow::~QtWindow() {
  for (auto& c : controls_) {
    if (c.timer) c.timer->stop();
  }
  backend_.Unregister(this);
}

QWidget* QtWindow::Widget() const {
  return widget_.get();
}

QWidget* QtWindow::ControlWidget(int control) const {
  return controls_.at(static_cast<std::size_t>(control)).widget;
}

QWidget* QtWindow::SurfaceOf(int control) const {
  const int container = model_.ContainerOf(control);
  QWidget* surface = container >= 0 ? ControlWidget(container) : nullptr;
  return surface ? surface : widget_.get();
}

QRect QtWindow::ControlRect(int control) const {
  const PixelRect r = model_.Rect(control, dpi_);
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void QtWindow::CreateControls() {
  // Containers first, so that their contents can be placed on them.
  std::vector<int> order(def_.controls.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_partition(order.begin(), order.end(),
                        [this](int i) { return model_.Control(i).container.empty(); });
  for (const int i : order) {
    const ControlDef& c = model_.Control(i);
    auto& state = controls_[static_cast<std::size_t>(i)];
    if (c.kind == ControlKind::Timer) {
      state.timer = new QTimer(widget_.get());
      QObject::connect(state.timer, &QTimer::timeout, &context_,
                       [this, i] { form_.RaiseTimer(i); });
      continue;
    }
    QWidget* w = CreateControlWidget(c, i, SurfaceOf(i));
    if (!w) continue;
    state.widget = w;
    w->setGeometry(ControlRect(i));
    w->setVisible(c.visible);
    if (auto* surface = dynamic_cast<FormSurface*>(w)) surface->SetOwner(this);
    w->installEventFilter(widget_.get());
    for (QWidget* inner : w->findChildren<QWidget*>()) inner->installEventFilter(widget_.get());
    if (auto* button = qobject_cast<QPushButton*>(w)) {
      QObject::connect(button, &QPushButton::clicked, &context_,
                       [this, i] { form_.RaiseClick(i); });
    } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
      QObject::connect(box, &QCheckBox::clicked, &context_, [this, i] { form_.RaiseClick(i); });
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
      QObject::connect(combo, &QComboBox::activated, &context_, [this, i] { form_.RaiseClick(i); });
    }
    if (c.kind == ControlKind::CheckBox) {
      w->setAutoFillBackground(true);
      QPalette p = w->palette();
      p.setColor(QPalette::Window, BackColorOf(model_.ContainerOf(i)));
      w->setPalette(p);
    }
  }
  // Tab moves through the controls in their tab order.
  QWidget* previous = nullptr;
  for (const int i : def_.TabOrder()) {
    QWidget* w = ControlWidget(i);
    if (!w) continue;
    if (previous) QWidget::setTabOrder(previous, w);
    previous = w;
  }
}

void QtWindow::PlaceWindow() {
  const QSize client(Px(def_.width), Px(def_.height));
  if (def_.border == BorderStyle::Sizable) {
    widget_->resize(client);
  } else {
    widget_->setFixedSize(client);
  }
  if (def_.startPosition == StartPosition::Manual) widget_->move(Px(def_.left), Px(def_.top));
}

void QtWindow::Show() {
  if (!shownOnce_) {
    shownOnce_ = true;
    const int first = model_.FirstFocus([this](int id) {
      const QWidget* w = ControlWidget(id);
      return w && w->isEnabled();
    });
    (first >= 0 ? ControlWidget(first) : widget_.get())->setFocus(Qt::OtherFocusReason);
    if (def_.windowState == WindowState::Maximized) {
      if (const QScreen* screen = widget_->screen()) {
        widget_->setMinimumSize(0, 0);
        widget_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        widget_->setGeometry(screen->availableGeometry());
      }
    }
  }
  widget_->show();
  widget_->raise();
  widget_->activateWindow();
}

void QtWindow::SetVisible(bool visible) {
  widget_->setVisible(visible);
  if (visible) widget_->raise();
}

bool QtWindow::IsVisible() const {
  return widget_->isVisible();
}

std::intptr_t QtWindow::IconHandle() const {
  // Stands for the window's icon in the tray record; the tray shows the product icon.
  return StandInHandles::IconOf(def_.icon);
}

std::u16string QtWindow::GetText(int control) const {
  QWidget* widget = ControlWidget(control);
  return widget && model_.Control(control).kind != ControlKind::Frame ? ControlText(*widget)
                                                                      : model_.Caption(control);
}

void QtWindow::SetText(int control, std::u16string_view text) {
  // A label drawn on its window is repainted only when its text changes (the quick memo
  // window's clock sets its captions ten times a second).
  const bool changed = model_.SetCaption(control, text);
  if (QWidget* widget = ControlWidget(control)) {
    SetControlText(*widget, text);
    widget->update();
  } else if (changed) {
    SurfaceOf(control)->update(ControlRect(control));
  }
}

bool QtWindow::GetControlVisible(int control) const {
  return model_.Visible(control);
}

void QtWindow::SetControlVisible(int control, bool visible) {
  model_.SetVisible(control, visible);
  if (QWidget* widget = ControlWidget(control)) {
    // A hidden control's focus goes to the window itself, not on to the next control.
    if (!visible && (widget->hasFocus() || widget->isAncestorOf(QApplication::focusWidget())))
      widget_->setFocus(Qt::OtherFocusReason);
    widget->setVisible(visible);
  } else {
    SurfaceOf(control)->update(ControlRect(control));
  }
}

int QtWindow::GetValue(int control) const {
  const auto* box = qobject_cast<const QCheckBox*>(ControlWidget(control));
  return box && box->isChecked() ? 1 : 0;
}

void QtWindow::SetValue(int control, int value) {
  if (auto* box = qobject_cast<QCheckBox*>(ControlWidget(control))) box->setChecked(value == 1);
}

int QtWindow::GetListIndex(int control) const {
  // The entry the box shows: none once its edit part holds another text.
  const auto* combo = qobject_cast<const QComboBox*>(ControlWidget(control));
  if (!combo) return -1;
  const int index = combo->currentIndex();
  return index >= 0 && combo->currentText() == combo->itemText(index) ? index : -1;
}

void QtWindow::SetListIndex(int control, int index) {
  if (auto* combo = qobject_cast<QComboBox*>(ControlWidget(control))) {
    combo->setCurrentIndex(index);
    if (index < 0) combo->setEditText(QString());
  }
}

void QtWindow::SetTimerEnabled(int control, bool enabled) {
  QTimer* timer = controls_.at(static_cast<std::size_t>(control)).timer;
  if (!timer) return;
  if (!enabled) {
    timer->stop();
  } else if (!timer->isActive()) {
    timer->start(std::max(1, model_.Control(control).interval));
  }
}

std::optional<int> QtWindow::TrackPopupMenu(int menu, int /*flags*/) {
  if (const std::optional<int> chosen = backend_.Os().TakeHostMenuChoice(handle_, menu))
    return chosen;  // in the tray host's own menu
  // Qt's menus take a release of either button over an item.
  const MenuDef& m = def_.menus.at(static_cast<std::size_t>(menu));
  QMenu popup;
  popup.setFont(FontOf(std::nullopt));
  std::vector<QAction*> actions;
  for (const auto& item : m.items) {
    actions.push_back(item.IsSeparator() ? popup.addSeparator()
                                         : popup.addAction(ToQString(item.caption)));
    actions.back()->setObjectName(ToQString(item.name));
  }
  const QAction* chosen = popup.exec(QCursor::pos());
  const auto it = std::find(actions.begin(), actions.end(), chosen);
  if (!chosen || it == actions.end()) return std::nullopt;
  return static_cast<int>(it - actions.begin());
}

QColor QtWindow::BackColorOf(int container) const {
  const std::optional<Color> back = model_.BackColorOf(container);
  return back ? ToQColor(*back) : QApplication::palette().color(QPalette::Button);
}

void QtWindow::PaintSurface(QWidget& surface, int container) {
  QPainter p(&surface);
  p.fillRect(surface.rect(), BackColorOf(container));
  if (container >= 0) {
    const ControlDef& box = model_.Control(container);
    if (box.kind == ControlKind::PictureBox) {
      if (box.border) {
        p.setPen(QApplication::palette().color(QPalette::Dark));
        p.drawRect(surface.rect().adjusted(0, 0, -1, -1));
      }
      if (box.picture == Picture::ProductIcon32) {
        QIcon(QStringLiteral(":/pindle/product.ico")).paint(&p, QRect(0, 0, Px(480), Px(480)));
      }
    } else if (box.kind == ControlKind::Frame) {
      p.setFont(FontOf(box.font));
      const int half = p.fontMetrics().height() / 2;
      const QRect edge = surface.rect().adjusted(0, half, -2, -2);
      p.setPen(QApplication::palette().color(QPalette::Dark));
      p.drawRect(edge);
      p.setPen(QApplication::palette().color(QPalette::Light));
      p.drawRect(edge.translated(1, 1));
      const QString caption = ToQString(box.text);
      const QRect text(Px(120), 0, p.fontMetrics().horizontalAdvance(caption) + 2,
                       p.fontMetrics().height());
      p.fillRect(text, BackColorOf(container));
      p.setPen(QApplication::palette().color(QPalette::ButtonText));
      p.drawText(text, Qt::AlignLeft | Qt::AlignTop, caption);
    }
  }
  for (const int i : model_.Painted(container)) {
    const ControlDef& c = model_.Control(i);
    if (c.kind == ControlKind::Label) {
      const QRect r = ControlRect(i);
      const std::optional<Color> back = model_.LabelBackColor(i);
      p.fillRect(r, back ? ToQColor(*back) : BackColorOf(container));
      p.setFont(FontOf(c.font));
      p.setPen(c.foreColor ? ToQColor(*c.foreColor)
                           : QApplication::palette().color(QPalette::ButtonText));
      p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, ToQString(model_.Caption(i)));
    } else {  // a line
      QPen pen(c.foreColor ? ToQColor(*c.foreColor) : QColor(Qt::black));
      pen.setWidth(std::max(1, c.borderWidth * dpi_ / 96));
      p.setPen(pen);
      p.drawLine(Px(c.left), Px(c.top), Px(c.width), Px(c.height));
    }
  }
}

void QtWindow::PressSurface(FormSurface& surface, int container, Qt::MouseButton button, QPoint pt,
                            Qt::KeyboardModifiers modifiers) {
  // A press of any button on a label is the label's; a left one clicks it on release.
  const int buttonNumber = button == Qt::LeftButton    ? kLeftButton
                           : button == Qt::RightButton ? kRightButton
                                                       : kMiddleButton;
  if (model_.PressLabel(container, pt.x(), pt.y(), dpi_, buttonNumber)) return;
  if (container >= 0) {
    if (surface.focusPolicy() != Qt::NoFocus) surface.setFocus(Qt::MouseFocusReason);
    return;
  }
  const std::uint32_t message = ButtonMessage(button);
  if (message == 0) return;
  const int shift =
      ((modifiers & Qt::ShiftModifier) ? 1 : 0) | ((modifiers & Qt::ControlModifier) ? 2 : 0);
  backend_.Os().SendMessage(handle_, message, MouseKeys(shift),
                            MousePosition(pt.x(), pt.y()));  // may unload this window
}

void QtWindow::ReleaseSurface(int container, Qt::MouseButton button, QPoint pt) {
  if (button == Qt::LeftButton) model_.ReleaseLabel(container, pt.x(), pt.y(), dpi_);
}

bool QtWindow::ClickButton(bool isDefault) {
  const int button = model_.DialogButton(isDefault, [this](int i) {
    const QWidget* w = ControlWidget(i);
    return w && w->isEnabled();
  });
  if (button < 0) return false;
  static_cast<QPushButton*>(ControlWidget(button))->click();  // may unload this window
  return true;
}

bool QtWindow::DialogKey(int qtKey) {
  const bool enter = qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter;
  if (!enter && qtKey != Qt::Key_Escape) return false;
  QWidget* focus = QApplication::focusWidget();
  int focused = -1;
  for (std::size_t i = 0; i < controls_.size() && focus; ++i) {
    QWidget* w = controls_[i].widget;
    if (w && (w == focus || w->isAncestorOf(focus))) focused = static_cast<int>(i);
  }
  if (focused >= 0) {
    const ControlDef& c = model_.Control(focused);
    // Enter types a line break in a multi-line box.
    if (c.kind == ControlKind::TextBox && c.multiLine && enter) return false;
    if (enter && c.kind == ControlKind::CommandButton) {
      static_cast<QPushButton*>(ControlWidget(focused))->click();
      return true;
    }
  }
  return ClickButton(enter);
}

void QtWindow::KeyOnWindow(int qtKey, Qt::KeyboardModifiers modifiers) {
  const int shift = ((modifiers & Qt::ShiftModifier) ? 1 : 0) |
                    ((modifiers & Qt::ControlModifier) ? 2 : 0) |
                    ((modifiers & Qt::AltModifier) ? 4 : 0);
  if (const int vk = VirtualKey(qtKey)) form_.RaiseKeyDown(vk, shift);
}

void QtWindow::CloseBox() {
  if (def_.controlBox) form_.RaiseClose();
}

}  // namespace pindle::platform::qt
