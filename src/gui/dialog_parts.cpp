#include "gui/dialog_parts.h"

#include <QDialog>
#include <QPushButton>

namespace nodelyx {

QDialogButtonBox* addOkCancelButtons(QDialog& dialog) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  nameControl(*buttons->button(QDialogButtonBox::Ok), 1, QStringLiteral("OK"));
  nameControl(*buttons->button(QDialogButtonBox::Cancel), 2, QStringLiteral("Cancel"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  return buttons;
}

}  // namespace nodelyx
