// The widgets of a small dialog by control identifier, and the DialogView
// its logic talks to, built on them. GUI thread only.
#pragma once

#include <QDialog>
#include <map>
#include <string>

#include "app/dialog_view.h"

namespace nodelyx {

class DialogWidgets {
 public:
  explicit DialogWidgets(QDialog& dialog) : dialog_(dialog) {}

  // Registers a control (named "ctl<id>" by the caller).
  void add(int id, QWidget* widget) { widgets_[id] = widget; }
  QWidget* widget(int id) const;

  // Line edits and labels take texts; buttons take checks.
  void setText(int id, const std::string& text);
  std::string text(int id) const;
  void setEnabled(int id, bool enabled);
  void setChecked(int id, bool checked);
  void focus(int id, bool selectAll);
  void setCaretAtEnd(int id);
  static void beep();
  MessageAnswer showMessage(const Message& message, DialogButtons buttons);

 private:
  QDialog& dialog_;
  std::map<int, QWidget*> widgets_;
};

// DialogView (or a view derived from it) on a dialog's widgets; the dialog
// class derives from QDialog and from this.
template <typename View>
class WidgetDialogView : public View {
 public:
  explicit WidgetDialogView(QDialog& dialog) : widgets_(dialog), dialog_(dialog) {}

  void setControlText(int id, const std::string& text) override { widgets_.setText(id, text); }
  std::string controlText(int id) const override { return widgets_.text(id); }
  void setControlEnabled(int id, bool enabled) override { widgets_.setEnabled(id, enabled); }
  void setControlChecked(int id, bool checked) override { widgets_.setChecked(id, checked); }
  void focusControl(int id, bool selectAll) override { widgets_.focus(id, selectAll); }
  void setCaretAtEnd(int id) override { widgets_.setCaretAtEnd(id); }
  void beep() override { DialogWidgets::beep(); }
  MessageAnswer showMessage(const Message& message, DialogButtons buttons) override {
    return widgets_.showMessage(message, buttons);
  }
  void endDialog() override { dialog_.done(QDialog::Accepted); }

 protected:
  DialogWidgets widgets_;

 private:
  QDialog& dialog_;
};

}  // namespace nodelyx
