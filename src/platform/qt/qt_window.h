// One window of the program as a Qt top-level widget.  Text boxes, buttons, check boxes and
// combo boxes are Qt's widgets; picture boxes and frames are child surfaces; labels and lines
// are painted on the surface they belong to, in definition order, and hit-tested for clicks,
// so a press on a label is the label's and a press on the bare surface is the window's.  The
// window's messages (mouse presses on its surface) go through its procedure chain.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

#include "platform/form.h"
#include "platform/window_model.h"
#include "platform/window_peer.h"

namespace pindle::platform::qt {

class QtBackend;
class FormSurface;
class FormWidget;

class QtWindow final : public WindowPeer {
 public:
  QtWindow(QtBackend& backend, Form& form, const FormDef& def);
  ~QtWindow() override;
  QtWindow(const QtWindow&) = delete;
  QtWindow& operator=(const QtWindow&) = delete;

  Hwnd Handle() const override { return handle_; }
  void Show() override;
  void SetVisible(bool visible) override;
  bool IsVisible() const override;
  std::intptr_t IconHandle() const override;
  std::u16string GetText(int control) const override;
  void SetText(int control, std::u16string_view text) override;
  bool GetControlVisible(int control) const override;
  void SetControlVisible(int control, bool visible) override;
  int GetValue(int control) const override;
  void SetValue(int control, int value) override;
  int GetListIndex(int control) const override;
  void SetListIndex(int control, int index) override;
  void SetTimerEnabled(int control, bool enabled) override;
  std::optional<int> TrackPopupMenu(int menu, int flags) override;

  // ---- what the window's widgets and a test driver use ----
  Form& GetForm() const { return form_; }
  const FormDef& Def() const { return def_; }
  QWidget* Widget() const;
  // The widget of a windowed control (text box, button, check box, combo box, picture box,
  // frame); nullptr for labels, lines and timers.
  QWidget* ControlWidget(int control) const;
  // The surface a control lies on: its container's, or the window's.
  QWidget* SurfaceOf(int control) const;
  // A control's rectangle in pixels, relative to its container.
  QRect ControlRect(int control) const;
  int Px(int twips) const { return TwipsToPixels(twips, dpi_); }

  // Painting and mouse presses of a surface (the window's, or a container's).
  void PaintSurface(QWidget& surface, int container);
  void PressSurface(FormSurface& surface, int container, Qt::MouseButton button, QPoint pt,
                    Qt::KeyboardModifiers modifiers);
  void ReleaseSurface(int container, Qt::MouseButton button, QPoint pt);
  // Enter and Esc as a dialog takes them: true when the key was used.
  bool DialogKey(int qtKey);
  void KeyOnWindow(int qtKey, Qt::KeyboardModifiers modifiers);
  void CloseBox();

 private:
  struct ControlState {
    QWidget* widget = nullptr;  // a child of the window's widget
    QTimer* timer = nullptr;
  };

  void CreateControls();
  void PlaceWindow();
  QColor BackColorOf(int container) const;
  // Clicks a visible, enabled command button that is the default (or the cancel) button.
  bool ClickButton(bool isDefault);

  QtBackend& backend_;
  Form& form_;
  const FormDef& def_;
  WindowModel model_;
  Hwnd handle_ = 0;
  int dpi_ = 96;
  bool shownOnce_ = false;
  QObject context_;  // connections end with the window
  std::unique_ptr<FormWidget, void (*)(FormWidget*)> widget_;
  std::vector<ControlState> controls_;
};

}  // namespace pindle::platform::qt
