#include "gui/plot_output.h"

#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QSvgGenerator>
#include <string>

#include "files/atomic_file.h"
#include "gui/message_box.h"
#include "gui/painter_canvas.h"
#include "plots/print_placement.h"

namespace nodelyx {
namespace {

std::function<QString()>& saveNameHook() {
  static std::function<QString()> hook;
  return hook;
}

std::function<QPrinter*()>& printerHook() {
  static std::function<QPrinter*()> hook;
  return hook;
}

// The file is written whole or not at all: the picture is made in memory
// first, then put in place by a rename.
bool writeBytes(const QString& path, const QByteArray& bytes) {
  return writeFileAtomically(QFile::encodeName(path).toStdString(),
                             std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void drawPlot(QPainter& painter, const PlotDrawing& draw) {
  PainterCanvas canvas(painter);
  draw(canvas, kPlotFileSize);
}

const QString kSvgFilter = QStringLiteral("Scalable Vector Graphics (*.svg)");
const QString kPngFilter = QStringLiteral("PNG image (*.png)");

}  // namespace

bool savePlotSvg(const QString& path, const QString& title, const PlotDrawing& draw) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(QSize(kPlotFileSize.width, kPlotFileSize.height));
  generator.setViewBox(QRect(0, 0, kPlotFileSize.width, kPlotFileSize.height));
  generator.setTitle(title);
  QPainter painter;
  if (!painter.begin(&generator)) return false;
  painter.fillRect(QRect(0, 0, kPlotFileSize.width, kPlotFileSize.height), Qt::white);
  drawPlot(painter, draw);
  painter.end();
  return writeBytes(path, buffer.data());
}

bool savePlotPng(const QString& path, const PlotDrawing& draw) {
  QImage image(kPlotFileSize.width, kPlotFileSize.height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  drawPlot(painter, draw);
  painter.end();
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  return image.save(&buffer, "PNG") && writeBytes(path, buffer.data());
}

bool printPlot(QPrinter& printer, const PlotDrawing& draw) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
  const CanvasRect place =
      printPlacement(page.width(), page.height(), printer.logicalDpiX(), printer.logicalDpiY());
  // The 640 × 480 drawing is stretched onto the picture's place on the page.
  painter.translate(place.left, place.top);
  painter.scale(static_cast<double>(place.width()) / kPlotFileSize.width,
                static_cast<double>(place.height()) / kPlotFileSize.height);
  drawPlot(painter, draw);
  return painter.end();
}

void savePlotWithDialog(QWidget* owner, const QString& title, const PlotDrawing& draw) {
  QString path;
  QString filter = kSvgFilter;
  if (saveNameHook()) {
    path = saveNameHook()();
  } else {
    path = QFileDialog::getSaveFileName(owner, QStringLiteral("Save Plot"), QString(),
                                        kSvgFilter + QStringLiteral(";;") + kPngFilter, &filter);
  }
  if (path.isEmpty()) return;
  const bool png = path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive) ||
                   (filter == kPngFilter && !path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive));
  if (png && !path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive)) path += QStringLiteral(".png");
  if (!png && !path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) path += QStringLiteral(".svg");
  const bool saved = png ? savePlotPng(path, draw) : savePlotSvg(path, title, draw);
  if (!saved) {
    showMessageBox(
        owner,
        Message{"Error", "Could not write file " + QFile::encodeName(path).toStdString(), MessageIcon::Error},
        MessageButtons::Ok);
  }
}

void printPlotWithDialog(QWidget* owner, const PlotDrawing& draw) {
  withPlotPrinter(owner, [&draw](QPrinter& printer) { printPlot(printer, draw); });
}

void withPlotPrinter(QWidget* owner, const std::function<void(QPrinter&)>& print) {
  if (printerHook()) {
    if (QPrinter* printer = printerHook()()) print(*printer);
    return;
  }
  QPrinter printer(QPrinter::HighResolution);
  printer.setCopyCount(1);
  printer.setCollateCopies(true);
  QPrintDialog dialog(&printer, owner);
  if (dialog.exec() != QDialog::Accepted) return;
  print(printer);
}

void setPlotSaveNameForTests(std::function<QString()> name) { saveNameHook() = std::move(name); }
void setPlotPrinterForTests(std::function<QPrinter*()> printer) { printerHook() = std::move(printer); }

}  // namespace nodelyx
