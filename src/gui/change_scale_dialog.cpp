#include "gui/change_scale_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/field_checks.h"
#include "files/c_format.h"
#include "gui/dialog_parts.h"
#include "gui/message_box.h"
#include "gui/numeric_edit.h"
#include "gui/painter_canvas.h"

namespace nodelyx {
namespace {

// The seven classes top to bottom, each a seventh of the height, filled
// and outlined in its colour.
class ColorBars final : public QWidget {
 public:
  explicit ColorBars(QWidget* parent) : QWidget(parent) { setMinimumSize(40, 7 * 20); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    PainterCanvas painterCanvas(painter);
    Canvas& canvas = painterCanvas;
    const int h = height();
    for (int c = 0; c < kColorClassCount; ++c) {
      const Rgb color = kClassColors[static_cast<std::size_t>(c)];
      canvas.setPen(color);
      canvas.setBrush(color);
      canvas.drawRect(CanvasRect{0, c * h / kColorClassCount, width(), (c + 1) * h / kColorClassCount});
    }
  }
};

QString thresholdText(double value) { return QString::fromStdString(emptyToZeroText(formatC("%g", value))); }

}  // namespace

ChangeScaleDialog::ChangeScaleDialog(ScaleThresholds& thresholds, std::function<void()> changed,
                                     QWidget* owner)
    : QDialog(owner), thresholds_(thresholds), changed_(std::move(changed)) {
  setObjectName(QString::fromLatin1(kChangeScaleObjectName));
  setWindowTitle(QStringLiteral("Change Scale"));
  setAccessibleName(windowTitle());
  setModal(true);

  // Each field sits on the boundary between the two classes it separates:
  // the bars span fourteen equal rows, field k rows 2k + 1 and 2k + 2.
  auto* grid = new QGridLayout;
  grid->setVerticalSpacing(0);
  auto* bars = new ColorBars(this);
  nameControl(*bars, kColorBarsControl, QStringLiteral("Colors"));
  grid->addWidget(bars, 0, 0, 2 * kColorClassCount, 1);
  for (int row = 0; row < 2 * kColorClassCount; ++row) grid->setRowStretch(row, 1);
  for (int k = 0; k < kThresholdCount; ++k) {
    auto* field = new NumericEdit(true, this);
    nameControl(*field, kFirstThresholdControl + k, QStringLiteral("Threshold %1").arg(k + 1));
    field->setText(thresholdText(thresholds_[static_cast<std::size_t>(k)]));
    connect(field, &NumericEdit::commitRequested, this, [this, k] { commitField(k); });
    grid->addWidget(field, 2 * k + 1, 1, 2, 1, Qt::AlignVCenter);
    fields_[static_cast<std::size_t>(k)] = field;
  }

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  nameControl(*ok, kScaleOkButton, ok->text());
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { okPressed(); });
  auto* defaults = new QPushButton(QStringLiteral("Defaults"), this);
  nameControl(*defaults, kScaleDefaultsButton, defaults->text());
  defaults->setAutoDefault(false);
  connect(defaults, &QPushButton::clicked, this, [this] { defaultsPressed(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(defaults);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid, 1);
  layout->addLayout(buttons);
}

bool ChangeScaleDialog::commitField(int index) {
  // Refocusing a refused field takes the focus from another one, whose own
  // commit must wait until it is really left.
  if (committing_) return true;
  committing_ = true;
  const auto k = static_cast<std::size_t>(index);
  NumericEdit* field = fields_[k];
  const ThresholdRange range = thresholdRange(thresholds_, index);
  const FieldOutcome<double> outcome =
      commitPageFloat(field->text().toStdString(), thresholds_[k], range.min, range.max);
  const bool changed = outcome.value != thresholds_[k];
  thresholds_[k] = outcome.value;
  if (outcome.text) field->setText(QString::fromStdString(*outcome.text));
  field->setModified(false);
  refusedLast_ = outcome.message.has_value();
  if (outcome.message)
    showMessageBox(this, Message{kPageErrorTitle, *outcome.message, MessageIcon::Error}, MessageButtons::Ok);
  if (outcome.focusAndSelect) {
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
  }
  committing_ = false;
  if (changed) changed_();
  return !refusedLast_;
}

// The focused field was committed when Enter was pressed in it or when the
// focus left it for OK; after a refusal the dialog stays for a correction.
void ChangeScaleDialog::okPressed() {
  if (refusedLast_) {
    refusedLast_ = false;
    return;
  }
  changed_();
  accept();
}

void ChangeScaleDialog::defaultsPressed() {
  thresholds_ = kDefaultThresholds;
  for (std::size_t k = 0; k < fields_.size(); ++k) {
    fields_[k]->setText(QString::fromLatin1(kDefaultThresholdTexts[k]));
    fields_[k]->setModified(false);
  }
  refusedLast_ = false;
  changed_();
}

}  // namespace nodelyx
