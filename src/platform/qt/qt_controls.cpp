#include "platform/qt/qt_controls.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <climits>

#include "platform/qt/qt_fonts.h"
#include "platform/qt/qt_text.h"
#include "platform/qt/qt_window.h"

namespace pindle::platform::qt {

namespace {

QColor ToQColor(const Color& c) {
  return QColor(c.r, c.g, c.b);
}

void ApplyColors(QWidget& w, const ControlDef& def, QPalette::ColorRole back,
                 QPalette::ColorRole fore) {
  QPalette p = w.palette();
  if (def.backColor) p.setColor(back, ToQColor(*def.backColor));
  if (def.foreColor) p.setColor(fore, ToQColor(*def.foreColor));
  w.setPalette(p);
}

// The box's text with CR LF line ends, whatever the widget keeps inside.
std::u16string WithCrLf(const QString& text) {
  std::u16string out;
  out.reserve(static_cast<std::size_t>(text.size()));
  for (const QChar c : text) {
    if (c == QChar::ParagraphSeparator || c == u'\n') {
      out += u"\r\n";
    } else {
      out += c.unicode();
    }
  }
  return out;
}

// A check box that a press anywhere on it toggles, not only on its box and caption.
class CheckBox final : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
};

}  // namespace

FormSurface::FormSurface(QWidget* parent, int container, Qt::WindowFlags flags)
    : QWidget(parent, flags), container_(container) {}

void FormSurface::paintEvent(QPaintEvent*) {
  if (owner_) owner_->PaintSurface(*this, container_);
}

void FormSurface::mousePressEvent(QMouseEvent* event) {
  event->accept();
  const QPoint pt = event->position().toPoint();
  // A press that a control let through is not the surface's.
  if (childAt(pt) != nullptr || !owner_) return;
  owner_->PressSurface(*this, container_, event->button(), pt, event->modifiers());
}

void FormSurface::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (owner_) owner_->ReleaseSurface(container_, event->button(), event->position().toPoint());
}

bool FormWidget::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !Owner()) return QWidget::eventFilter(watched, event);
  const int key = static_cast<QKeyEvent*>(event)->key();
  return Owner()->DialogKey(key) || QWidget::eventFilter(watched, event);
}

void FormWidget::closeEvent(QCloseEvent* event) {
  event->ignore();  // the runtime unloads the window, or not
  if (Owner()) Owner()->CloseBox();
}

void FormWidget::keyPressEvent(QKeyEvent* event) {
  QWidget* focus = focusWidget();
  if (focus && focus != this) {
    event->ignore();  // a key a control did not take stays the control's
    return;
  }
  event->accept();
  if (Owner() && !Owner()->DialogKey(event->key())) {
    Owner()->KeyOnWindow(event->key(), event->modifiers());
  }
}

QWidget* CreateControlWidget(const ControlDef& def, int index, QWidget* parent) {
  QWidget* w = nullptr;
  switch (def.kind) {
    case ControlKind::TextBox:
      if (def.multiLine) {
        auto* box = new QPlainTextEdit(parent);
        box->setTabChangesFocus(true);
        const bool horizontal =
            def.scrollBars == ScrollBars::Horizontal || def.scrollBars == ScrollBars::Both;
        const bool vertical =
            def.scrollBars == ScrollBars::Vertical || def.scrollBars == ScrollBars::Both;
        box->setLineWrapMode(horizontal ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        box->setHorizontalScrollBarPolicy(horizontal ? Qt::ScrollBarAlwaysOn
                                                     : Qt::ScrollBarAlwaysOff);
        box->setVerticalScrollBarPolicy(vertical ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        ApplyColors(*box, def, QPalette::Base, QPalette::Text);
        w = box;
      } else {
        auto* box = new QLineEdit(parent);
        box->setMaxLength(INT_MAX);
        ApplyColors(*box, def, QPalette::Base, QPalette::Text);
        w = box;
      }
      break;
    case ControlKind::CommandButton: {
      auto* button = new QPushButton(ToQString(def.text), parent);
      button->setAutoDefault(false);
      button->setDefault(def.isDefault);
      ApplyColors(*button, def, QPalette::Button, QPalette::ButtonText);
      w = button;
      break;
    }
    case ControlKind::CheckBox: {
      auto* box = new CheckBox(ToQString(def.text), parent);
      ApplyColors(*box, def, QPalette::Window, QPalette::WindowText);
      w = box;
      break;
    }
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      for (const auto& entry : def.list) combo->addItem(ToQString(entry));
      combo->setCurrentIndex(-1);
      combo->setEditText(ToQString(def.text));
      ApplyColors(*combo, def, QPalette::Base, QPalette::Text);
      w = combo;
      break;
    }
    case ControlKind::PictureBox:
    case ControlKind::Frame: {
      auto* surface = new FormSurface(parent, index);
      surface->setFocusPolicy(def.kind == ControlKind::PictureBox ? Qt::StrongFocus : Qt::NoFocus);
      w = surface;
      break;
    }
    default:
      return nullptr;
  }
  w->setObjectName(ToQString(def.name));
  w->setFont(FontOf(def.font));
  return w;
}

std::u16string ControlText(const QWidget& widget) {
  if (const auto* box = qobject_cast<const QPlainTextEdit*>(&widget))
    return WithCrLf(box->document()->toRawText());
  if (const auto* box = qobject_cast<const QLineEdit*>(&widget)) return FromQString(box->text());
  if (const auto* combo = qobject_cast<const QComboBox*>(&widget))
    return FromQString(combo->currentText());
  if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
    return FromQString(button->text());
  return {};
}

void SetControlText(QWidget& widget, std::u16string_view text) {
  if (auto* box = qobject_cast<QPlainTextEdit*>(&widget)) {
    QString plain = ToQString(text);
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setPlainText(plain);
  } else if (auto* line = qobject_cast<QLineEdit*>(&widget)) {
    line->setText(ToQString(text));
    line->setCursorPosition(0);
  } else if (auto* combo = qobject_cast<QComboBox*>(&widget)) {
    combo->setCurrentIndex(-1);
    combo->setEditText(ToQString(text));
  } else if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
    button->setText(ToQString(text));
  }
}

namespace {
struct KeyPair {
  int vk, qt;
};
constexpr KeyPair kKeys[] = {
    {0x08, Qt::Key_Backspace}, {0x09, Qt::Key_Tab},     {0x0D, Qt::Key_Return},
    {0x10, Qt::Key_Shift},     {0x11, Qt::Key_Control}, {0x12, Qt::Key_Alt},
    {0x1B, Qt::Key_Escape},    {0x20, Qt::Key_Space},   {0x21, Qt::Key_PageUp},
    {0x22, Qt::Key_PageDown},  {0x23, Qt::Key_End},     {0x24, Qt::Key_Home},
    {0x25, Qt::Key_Left},      {0x26, Qt::Key_Up},      {0x27, Qt::Key_Right},
    {0x28, Qt::Key_Down},      {0x2D, Qt::Key_Insert},  {0x2E, Qt::Key_Delete},
};
}  // namespace

int VirtualKey(int qtKey) {
  if (qtKey == Qt::Key_Enter) return 0x0D;
  if (qtKey == Qt::Key_Backtab) return 0x09;
  for (const auto& k : kKeys) {
    if (k.qt == qtKey) return k.vk;
  }
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
    return qtKey;  // the same codes
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return 0x70 + (qtKey - Qt::Key_F1);
  return 0;
}

int QtKey(int vk) {
  for (const auto& k : kKeys) {
    if (k.vk == vk) return k.qt;
  }
  if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return vk;
  if (vk >= 0x70 && vk <= 0x87) return Qt::Key_F1 + (vk - 0x70);
  return 0;
}

}  // namespace pindle::platform::qt
