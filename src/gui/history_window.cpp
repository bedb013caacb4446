#include "gui/history_window.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QVBoxLayout>

#include "gui/gui_resources.h"
#include "gui/plot_output.h"
#include "plots/history_pages.h"

namespace nodelyx {
namespace {

// The desktop's fixed-pitch font; where the platform names none (a bare
// session, the offscreen platform), any monospaced family there is.
QFont fixedPitchFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (QFontInfo(font).fixedPitch()) return font;
  font.setFamilies(
      {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"), QStringLiteral("monospace")});
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  return font;
}

// Prints the pages in order, as many copies as asked for: whole sets when
// the copies are collated, else each page repeated. Qt repeats nothing
// itself when the printer cannot.
void printPages(QPrinter& printer, const std::string& text) {
  QPainter painter;
  if (!painter.begin(&printer)) return;
  const QFont font = fixedPitchFont();
  painter.setFont(font);
  const QFontMetrics metrics(font, &printer);
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const int lineHeight = metrics.height() + metrics.leading();
  const auto charsPerLine = static_cast<std::size_t>(page.width() / std::max(1, metrics.averageCharWidth()));
  const auto linesPerPage = static_cast<std::size_t>(page.height() / std::max(1, lineHeight));
  const std::vector<PrintedPage> pages = historyPages(text, charsPerLine, linesPerPage);
  const int copies = printer.supportsMultipleCopies() ? 1 : std::max(1, printer.copyCount());
  const bool collate = printer.collateCopies();
  bool first = true;
  const auto printPage = [&](const PrintedPage& lines) {
    if (!first && !printer.newPage()) return false;
    first = false;
    for (std::size_t k = 0; k < lines.size(); ++k) {
      painter.drawText(0, static_cast<int>(k) * lineHeight + metrics.ascent(),
                       QString::fromStdString(lines[k]));
    }
    return true;
  };
  for (int outer = 0; outer < (collate ? copies : 1); ++outer) {
    for (const PrintedPage& lines : pages) {
      for (int inner = 0; inner < (collate ? 1 : copies); ++inner) {
        if (!printPage(lines)) return;  // a failing page ends the job
      }
    }
  }
  painter.end();
}

}  // namespace

HistoryWindow::HistoryWindow(const std::string& text, HelpViewer& help, QWidget* parent)
    : QWidget(parent, Qt::Window), help_(help) {
  setObjectName(QString::fromLatin1(kHistoryWindowObjectName));
  setWindowTitle(QStringLiteral("Training History"));
  setAccessibleName(windowTitle());
  setWindowIcon(applicationIcon());
  setAttribute(Qt::WA_QuitOnClose, false);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* menus = new QMenuBar(this);
  QMenu* menu = menus->addMenu(QStringLiteral("&File"));
  QAction* printAction = menu->addAction(QStringLiteral("&Print"), this, &HistoryWindow::print);
  printAction->setObjectName(QStringLiteral("cmd40011"));
  QAction* exitAction = menu->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
  exitAction->setObjectName(QStringLiteral("cmd40013"));
  QAction* helpAction = menus->addAction(QStringLiteral("&Help"));
  helpAction->setObjectName(QStringLiteral("cmd40015"));
  connect(helpAction, &QAction::triggered, this, [this] { help_.showHelp(help::kViewMenu); });
  layout->setMenuBar(menus);

  text_ = new QPlainTextEdit(this);
  text_->setObjectName(QStringLiteral("historyText"));
  text_->setAccessibleName(QStringLiteral("Training history"));
  text_->setReadOnly(true);
  text_->setLineWrapMode(QPlainTextEdit::NoWrap);
  text_->setFont(fixedPitchFont());
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  text_->setPlainText(QString::fromStdString(text));
  layout->addWidget(text_);
}

void HistoryWindow::print() {
  const std::string text = text_->toPlainText().toStdString();
  withPlotPrinter(this, [&text](QPrinter& printer) { printPages(printer, text); });
}

}  // namespace nodelyx
