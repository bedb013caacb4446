// Small builders shared by the dialogs: a labelled control gets its label
// as accessible name and its control identifier as object name. GUI thread.
#pragma once

#include <QDialogButtonBox>
#include <QString>
#include <QWidget>

namespace nodelyx {

// Names a control "ctl<id>" and gives it its label as accessible name.
inline void nameControl(QWidget& control, int id, const QString& label) {
  control.setObjectName(QStringLiteral("ctl%1").arg(id));
  control.setAccessibleName(label);
}

// OK (ctl1) and Cancel (ctl2), wired to the dialog's accept and reject.
QDialogButtonBox* addOkCancelButtons(QDialog& dialog);

}  // namespace nodelyx
