// The widgets a window is made of: the window's own surface (FormWidget), container surfaces
// (picture boxes, frames), the standard controls made from their definitions, and the
// conversions between the program's view of a control and Qt's (texts with CR LF line ends,
// virtual-key codes).
#pragma once

#include <QWidget>
#include <string>

#include "platform/form_definition.h"

namespace pindle::platform::qt {

class QtWindow;

// A surface with labels and lines painted on it: the window itself (container -1), a picture
// box or a frame.
class FormSurface : public QWidget {
 public:
  FormSurface(QWidget* parent, int container, Qt::WindowFlags flags = {});
  void SetOwner(QtWindow* owner) { owner_ = owner; }
  QtWindow* Owner() const { return owner_; }
  int Container() const { return container_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QtWindow* owner_ = nullptr;  // cleared when the window goes before its widgets
  int container_;
};

// The top-level widget of a window: its close box, keys that reach the window itself, and the
// dialog keys (Enter, Esc) of its controls.
class FormWidget final : public FormSurface {
 public:
  explicit FormWidget(Qt::WindowFlags flags) : FormSurface(nullptr, -1, flags) {}
  bool eventFilter(QObject* watched, QEvent* event) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
};

// A control's widget made from its definition, on parent; nullptr for the kinds without one.
QWidget* CreateControlWidget(const ControlDef& def, int index, QWidget* parent);
std::u16string ControlText(const QWidget& widget);
void SetControlText(QWidget& widget, std::u16string_view text);

// Virtual-key codes and Qt's keys.
int VirtualKey(int qtKey);
int QtKey(int vk);

}  // namespace pindle::platform::qt
