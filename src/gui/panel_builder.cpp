#include "gui/panel_builder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <map>
#include <string_view>
#include <vector>

#include "app/panel_fields.h"
#include "gui/numeric_edit.h"
#include "gui/spin_buttons.h"

namespace nodelyx {
namespace {

QString text(const char* utf8) { return QString::fromUtf8(utf8 == nullptr ? "" : utf8); }
bool hasText(const char* utf8) { return utf8 != nullptr && *utf8 != '\0'; }

constexpr const char* kActivationHeading = "Activation Function";

// Room for the widest number a field shows ("-3.40282e+38").
int numberWidth(const QWidget& widget) {
  return widget.fontMetrics().horizontalAdvance(QStringLiteral("-3.40282e+38")) + 14;
}

// The groups in the panel's three columns, top to bottom.
const std::vector<std::vector<PanelGroup>>& columnGroups() {
  static const std::vector<std::vector<PanelGroup>> columns = {
      {PanelGroup::TrainingProperties, PanelGroup::StoppingCriteria, PanelGroup::TrainingAlgorithm},
      {PanelGroup::Weights, PanelGroup::NeuronSaturation, PanelGroup::NetworkTopology},
      {PanelGroup::DataFiles, PanelGroup::Statistics, PanelGroup::RunButtons},
  };
  return columns;
}

class Builder {
 public:
  explicit Builder(QWidget* parent) { out_.panel = new QWidget(parent); }

  PanelWidgets build();

 private:
  void createWidgets();
  QWidget* createControl(const PanelField& field);
  QWidget* createList(const PanelField& field);
  QLabel* createValueText();
  void setTabOrder();

  QWidget* groupWidget(PanelGroup group);
  QGroupBox* formGroup(PanelGroup group);
  QGroupBox* topologyGroup();
  QGroupBox* dataFilesGroup();
  QGroupBox* statisticsGroup();
  QWidget* runButtons();
  void addLabelled(QGridLayout* grid, int row, ControlId id, int column = 0);
  QLayout* withSuffix(const PanelField& field);

  QWidget* control(ControlId id) const {
    const auto found = out_.controls.find(id);
    return found == out_.controls.end() ? nullptr : found->second;
  }
  // The caption of a field, made when a group places it (a caption shared
  // by a row of fields is placed once); null for fields without one.
  QLabel* label(ControlId id);

  PanelWidgets out_;
  std::map<PanelGroup, std::vector<const PanelField*>> groups_;
  std::vector<QWidget*> tabOrder_;
};

PanelWidgets Builder::build() {
  createWidgets();
  auto* columns = new QHBoxLayout(out_.panel);
  for (const std::vector<PanelGroup>& groups : columnGroups()) {
    auto* column = new QVBoxLayout;
    for (PanelGroup group : groups) {
      // The run buttons sit at the bottom of the last column.
      if (group == PanelGroup::RunButtons) column->addStretch(1);
      column->addWidget(groupWidget(group));
    }
    if (groups.back() != PanelGroup::RunButtons) column->addStretch(1);
    columns->addLayout(column, 1);
  }
  setTabOrder();
  return out_;
}

void Builder::createWidgets() {
  for (const PanelField& field : panelFields()) {
    groups_[field.group].push_back(&field);
    // The arrows of the hidden-layer count come with its field.
    if (field.id == ControlId::HiddenLayerSpin) continue;
    QWidget* widget = createControl(field);
    widget->setObjectName(QString::fromStdString(controlObjectName(field.id)));
    widget->setAccessibleName(QString::fromStdString(accessibleName(field)));
    out_.controls.emplace(field.id, widget);
    if (field.kind != FieldKind::Text) tabOrder_.push_back(widget);

    if (field.rule == RangeRule::UpToMaxHiddenLayers) {
      auto* spin =
          new SpinButtons(static_cast<QLineEdit*>(widget), 0, static_cast<int>(kMaxHiddenLayers), out_.panel);
      spin->setObjectName(QString::fromStdString(controlObjectName(ControlId::HiddenLayerSpin)));
      out_.controls.emplace(ControlId::HiddenLayerSpin, spin);
    }
  }
}

QWidget* Builder::createControl(const PanelField& field) {
  switch (field.kind) {
    case FieldKind::Float:
    case FieldKind::Integer: {
      auto* edit = new NumericEdit(true, out_.panel);
      edit->setMinimumWidth(numberWidth(*edit));
      edit->setMaximumWidth(numberWidth(*edit) * 5 / 4);
      return edit;
    }
    case FieldKind::Check:
      return new QCheckBox(text(field.label), out_.panel);
    case FieldKind::List:
      return createList(field);
    case FieldKind::Text:
      return createValueText();
    case FieldKind::Button:
      return new QPushButton(text(field.label), out_.panel);
  }
  return new QWidget(out_.panel);
}

QWidget* Builder::createList(const PanelField& field) {
  auto* list = new QComboBox(out_.panel);
  list->setEditable(false);
  if (field.setting == ConfigField::TrainingMethod) {
    for (const MethodItem& item : methodItems()) list->addItem(text(item.text));
  } else {
    for (const char* item : activationItems()) list->addItem(text(item));
  }
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return list;
}

QLabel* Builder::createValueText() {
  auto* value = new QLabel(out_.panel);
  value->setTextFormat(Qt::PlainText);
  value->setTextInteractionFlags(Qt::TextSelectableByMouse);
  // A long file name is cut at the panel's edge rather than widening it.
  value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  value->setMinimumWidth(numberWidth(*value));
  value->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  return value;
}

QLabel* Builder::label(ControlId id) {
  const PanelField* field = findPanelField(id);
  const bool carriesOwnText =
      field == nullptr || field->kind == FieldKind::Check || field->kind == FieldKind::Button;
  if (carriesOwnText || !hasText(field->label)) return nullptr;
  auto* caption = new QLabel(text(field->label), out_.panel);
  if (field->kind != FieldKind::Text) caption->setBuddy(control(id));
  return caption;
}

void Builder::setTabOrder() {
  for (std::size_t i = 1; i < tabOrder_.size(); ++i) QWidget::setTabOrder(tabOrder_[i - 1], tabOrder_[i]);
}

QWidget* Builder::groupWidget(PanelGroup group) {
  switch (group) {
    case PanelGroup::NetworkTopology:
      return topologyGroup();
    case PanelGroup::DataFiles:
      return dataFilesGroup();
    case PanelGroup::Statistics:
      return statisticsGroup();
    case PanelGroup::RunButtons:
      return runButtons();
    default:
      return formGroup(group);
  }
}

void Builder::addLabelled(QGridLayout* grid, int row, ControlId id, int column) {
  if (QLabel* caption = label(id)) grid->addWidget(caption, row, column);
  if (QWidget* widget = control(id)) grid->addWidget(widget, row, column + 1);
}

// The field with the unit shown after it ("%"), if it has one.
QLayout* Builder::withSuffix(const PanelField& field) {
  auto* box = new QHBoxLayout;
  box->setSpacing(4);
  box->addWidget(control(field.id));
  if (hasText(field.suffix)) box->addWidget(new QLabel(text(field.suffix), out_.panel));
  box->addStretch(1);
  return box;
}

// A label and its field per row; a button goes beside the field before it,
// two check boxes in a row share it.
QGroupBox* Builder::formGroup(PanelGroup group) {
  auto* box = new QGroupBox(text(groupTitle(group)), out_.panel);
  auto* grid = new QGridLayout(box);
  int row = -1;
  int checksInRow = 0;
  for (const PanelField* field : groups_[group]) {
    QWidget* widget = control(field->id);
    if (field->kind == FieldKind::Button) {
      grid->addWidget(widget, std::max(row, 0), 2);
      checksInRow = 0;
    } else if (field->kind == FieldKind::Check) {
      if (checksInRow == 1) {
        grid->addWidget(widget, row, 1, 1, 2);
      } else {
        grid->addWidget(widget, ++row, 0, 1, checksInRow == 0 ? 3 : 1);
      }
      checksInRow = checksInRow == 1 ? 2 : 1;
    } else {
      ++row;
      // A field that the group's caption already names needs no label.
      QLabel* caption = std::string_view(field->label) == groupTitle(group) ? nullptr : label(field->id);
      if (caption != nullptr) grid->addWidget(caption, row, 0);
      grid->addLayout(withSuffix(*field), row, caption != nullptr ? 1 : 0, 1, caption != nullptr ? 1 : 2);
      checksInRow = 0;
    }
  }
  grid->setColumnStretch(1, 1);
  return box;
}

QGroupBox* Builder::topologyGroup() {
  auto* box = new QGroupBox(text(groupTitle(PanelGroup::NetworkTopology)), out_.panel);
  auto* grid = new QGridLayout(box);
  int row = 0;
  if (QLabel* caption = label(ControlId::HiddenLayerCount)) grid->addWidget(caption, row, 0);
  auto* count = new QHBoxLayout;
  count->setSpacing(1);
  QWidget* countEdit = control(ControlId::HiddenLayerCount);
  countEdit->setMinimumWidth(countEdit->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
  countEdit->setMaximumWidth(countEdit->minimumWidth());
  count->addWidget(countEdit);
  count->addWidget(control(ControlId::HiddenLayerSpin));
  count->addStretch(1);
  grid->addLayout(count, row, 1);
  // The lists' own labels name each layer for screen readers; on screen one
  // heading over the column says what they choose.
  grid->addWidget(new QLabel(QString::fromUtf8(kActivationHeading), box), row++, 2);

  addLabelled(grid, row, ControlId::InputCountText);
  grid->addWidget(new QLabel(QStringLiteral("linear"), box), row++, 2);
  for (int layer = 1; layer <= kHiddenLayerMax; ++layer) {
    addLabelled(grid, row, hiddenNeuronsControl(layer));
    grid->addWidget(control(hiddenActivationControl(layer)), row++, 2);
  }
  addLabelled(grid, row, ControlId::OutputCountText);
  grid->addWidget(control(ControlId::OutputActivation), row++, 2);
  grid->setColumnStretch(1, 1);
  return box;
}

// A button per row with the texts that belong to it beside it.
QGroupBox* Builder::dataFilesGroup() {
  auto* box = new QGroupBox(text(groupTitle(PanelGroup::DataFiles)), out_.panel);
  auto* grid = new QGridLayout(box);
  int row = -1;
  int column = 0;
  for (const PanelField* field : groups_[PanelGroup::DataFiles]) {
    if (field->kind == FieldKind::Button || row < 0) {
      ++row;
      column = 0;
    }
    QWidget* widget = control(field->id);
    // Beside the file name (which takes the room left), the pattern count
    // keeps its width.
    if (column >= 2) widget->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    grid->addWidget(widget, row, column++);
  }
  grid->setColumnStretch(1, 1);
  return box;
}

// Rows by label, the training column beside the testing column; the group's
// caption names the two columns over them.
QGroupBox* Builder::statisticsGroup() {
  const QStringList captions = text(groupTitle(PanelGroup::Statistics))
                                   .split(QRegularExpression(QStringLiteral("\\s{2,}")), Qt::SkipEmptyParts);
  const bool captionPerColumn = captions.size() == 2;
  auto* box =
      new QGroupBox(captionPerColumn ? QString() : text(groupTitle(PanelGroup::Statistics)), out_.panel);
  box->setAccessibleName(text(groupTitle(PanelGroup::Statistics)).simplified());
  auto* grid = new QGridLayout(box);
  int row = 0;
  if (captionPerColumn) {
    for (int column = 0; column < 2; ++column) {
      auto* caption = new QLabel(captions[column].trimmed(), box);
      QFont bold = caption->font();
      bold.setBold(true);
      caption->setFont(bold);
      grid->addWidget(caption, row, column + 1);
    }
    ++row;
  }
  std::map<std::string, int> rowOfLabel;
  std::map<std::string, int> columnOfName;  // in the order the columns appear
  for (const PanelField* field : groups_[PanelGroup::Statistics]) {
    const std::string name = field->label == nullptr ? "" : field->label;
    auto [found, added] = rowOfLabel.emplace(name, row);
    if (added) {
      if (QLabel* caption = label(field->id)) grid->addWidget(caption, row, 0);
      ++row;
    }
    const std::string columnName = field->column == nullptr ? "" : field->column;
    const int column =
        columnOfName.emplace(columnName, static_cast<int>(columnOfName.size()) + 1).first->second;
    grid->addWidget(control(field->id), found->second, column);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(2, 1);
  return box;
}

QWidget* Builder::runButtons() {
  auto* row = new QWidget(out_.panel);
  auto* buttons = new QHBoxLayout(row);
  buttons->setContentsMargins(0, 0, 0, 0);
  buttons->addStretch(1);
  for (const PanelField* field : groups_[PanelGroup::RunButtons]) buttons->addWidget(control(field->id));
  return row;
}

}  // namespace

PanelWidgets buildPanel(QWidget* parent) { return Builder(parent).build(); }

}  // namespace nodelyx
