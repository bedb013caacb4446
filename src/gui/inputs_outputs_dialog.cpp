#include "gui/inputs_outputs_dialog.h"

#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "files/c_format.h"
#include "gui/dialog_parts.h"
#include "gui/message_box.h"

namespace nodelyx {
namespace {

constexpr int kInputsId = 123;
constexpr int kOutputsId = 129;

const char* const kExplanation =
    "Please enter the correct number of inputs and outputs.  The first line of this data file contains a "
    "total of %u values.  If this data file is formatted with one pattern per line, the total number of "
    "inputs and outputs should add up to %u.  To avoid this message in the future, please refer to the "
    "Nodelyx help file for an explanation of the training and testing data files.";

// Text that is not a whole number (empty, "-", "1-2", out of range) counts
// as 0, as an edit field's integer would.
long long fieldValue(const QLineEdit& field) {
  bool ok = false;
  const long long value = field.text().toLongLong(&ok);
  return ok ? value : 0;
}

class InputsOutputsDialog final : public QDialog {
 public:
  InputsOutputsDialog(QWidget* owner, std::uint32_t firstLineCount) : QDialog(owner) {
    setObjectName(QString::fromLatin1(kInputsOutputsDialogObjectName));
    setWindowTitle(QStringLiteral("Please specify the number of Inputs and Outputs"));
    setAccessibleName(windowTitle());
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* explanation =
        new QLabel(QString::fromStdString(formatC(kExplanation, firstLineCount, firstLineCount)));
    explanation->setObjectName(QStringLiteral("explanation"));
    explanation->setWordWrap(true);
    explanation->setMinimumWidth(380);
    layout->addWidget(explanation);
    auto* fields = new QFormLayout;
    inputs_ = addField(*fields, kInputsId, QStringLiteral("Number of Inputs"));
    outputs_ = addField(*fields, kOutputsId, QStringLiteral("Number of Outputs"));
    layout->addLayout(fields);
    layout->addWidget(addOkCancelButtons(*this));
  }

  InputsOutputs answer() const { return {fieldValue(*inputs_), fieldValue(*outputs_)}; }

  void accept() override {
    const InputsOutputs entered = answer();
    if (entered.inputs == 0 && entered.outputs == 0) {
      showMessageBox(this,
                     {"Warning", "You must enter a valid number of inputs or outputs", MessageIcon::Warning},
                     MessageButtons::Ok);
      return;
    }
    QDialog::accept();
  }

 private:
  QLineEdit* addField(QFormLayout& fields, int id, const QString& label) {
    auto* field = new QLineEdit(this);
    nameControl(*field, id, label);
    // Digits and minus signs only, as typed; whether they form a number is
    // decided on OK.
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-0-9]*")), field));
    fields.addRow(label, field);
    return field;
  }

  QLineEdit* inputs_ = nullptr;
  QLineEdit* outputs_ = nullptr;
};

}  // namespace

std::optional<InputsOutputs> askInputsOutputsDialog(QWidget* owner, std::uint32_t firstLineCount) {
  InputsOutputsDialog dialog(owner, firstLineCount);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.answer();
}

}  // namespace nodelyx
