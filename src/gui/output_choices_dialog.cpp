#include "gui/output_choices_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QVBoxLayout>

#include "gui/dialog_parts.h"

namespace nodelyx {
namespace {

constexpr int kHeadersId = 1068;
constexpr int kTargetsId = 1067;

QCheckBox* addCheckBox(QDialog& dialog, QVBoxLayout& layout, int id, const QString& label, bool checked) {
  auto* box = new QCheckBox(label, &dialog);
  nameControl(*box, id, label);
  box->setChecked(checked);
  layout.addWidget(box);
  return box;
}

}  // namespace

std::optional<OutputChoices> askOutputChoicesDialog(QWidget* owner, const OutputChoices& current) {
  QDialog dialog(owner);
  dialog.setObjectName(QString::fromLatin1(kOutputChoicesDialogObjectName));
  dialog.setWindowTitle(QStringLiteral("What to write?"));
  dialog.setAccessibleName(dialog.windowTitle());
  dialog.setModal(true);
  auto* layout = new QVBoxLayout(&dialog);
  QCheckBox* headers = addCheckBox(dialog, *layout, kHeadersId, QStringLiteral("Write column headers"),
                                   current.writeColumnHeaders);
  QCheckBox* targets = addCheckBox(dialog, *layout, kTargetsId,
                                   QStringLiteral("Write test file outputs (targets)"), current.writeTargets);
  layout->addWidget(addOkCancelButtons(dialog));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return OutputChoices{headers->isChecked(), targets->isChecked()};
}

}  // namespace nodelyx
