#include "gui/about_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <memory>

#include "about/system_info.h"
#include "gui/dialog_parts.h"
#include "gui/gui_resources.h"

namespace nodelyx {
namespace {

constexpr int kTitleText = 1045;
constexpr int kCopyrightText = 1046;
constexpr int kLabelColumn = 67;
constexpr int kValueColumn = 69;

QLabel* addText(QDialog& dialog, int id, const QString& text, const QString& name) {
  auto* label = new QLabel(text, &dialog);
  nameControl(*label, id, name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

// The two columns share one font a little larger than the dialog's, so the
// facts read as a table.
QFont tableFont(const QDialog& dialog) {
  QFont font = dialog.font();
  font.setPixelSize(16);
  return font;
}

}  // namespace

QDialog* createAboutDialog(QWidget* owner, const SystemInfo& info) {
  auto* dialog = new QDialog(owner);
  dialog->setObjectName(QString::fromLatin1(kAboutDialogObjectName));
  dialog->setWindowTitle(QStringLiteral("About Nodelyx"));
  dialog->setAccessibleName(dialog->windowTitle());
  dialog->setModal(true);
  auto* layout = new QVBoxLayout(dialog);

  auto* heading = new QHBoxLayout;
  auto* icon = new QLabel(dialog);
  icon->setPixmap(applicationIcon().pixmap(48, 48));
  heading->addWidget(icon);
  auto* names = new QVBoxLayout;
  QLabel* title =
      addText(*dialog, kTitleText, QString::fromStdString(aboutTitleText()), QStringLiteral("Product"));
  QFont titleFont = dialog->font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
  title->setFont(titleFont);
  title->setStyleSheet(QStringLiteral("color: #1d4a6e;"));
  names->addWidget(title);
  names->addWidget(addText(*dialog, kCopyrightText, QString::fromStdString(aboutCopyrightText()),
                           QStringLiteral("Copyright")));
  heading->addLayout(names, 1);
  layout->addLayout(heading);

  auto* table = new QGridLayout;
  QLabel* labels = addText(*dialog, kLabelColumn, QString::fromStdString(aboutLabelColumn()),
                           QStringLiteral("System information labels"));
  QLabel* values = addText(*dialog, kValueColumn, QString::fromStdString(aboutValueColumn(info)),
                           QStringLiteral("System information"));
  for (QLabel* column : {labels, values}) {
    column->setFont(tableFont(*dialog));
    column->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  table->addWidget(labels, 0, 0);
  table->addWidget(values, 0, 1);
  table->setColumnStretch(1, 1);
  table->setHorizontalSpacing(16);
  layout->addSpacing(8);
  layout->addLayout(table);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dialog);
  nameControl(*buttons->button(QDialogButtonBox::Ok), 1, QStringLiteral("OK"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  return dialog;
}

void runAboutDialog(QWidget* owner) {
  const SystemInfo info = readSystemInfo();
  const std::unique_ptr<QDialog> dialog(createAboutDialog(owner, info));
  dialog->exec();
}

}  // namespace nodelyx
