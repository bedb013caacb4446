// Saving and printing a plot: the plot's drawing routine is run on a
// 640 × 480 canvas that records into an SVG file (the vector picture a user
// places in a document), a PNG image, or a printer page, where it fills 90 %
// of the page's width in its 4:3 shape, centred. GUI thread only.
#pragma once

#include <QString>
#include <functional>

#include "plots/canvas.h"

class QPrinter;
class QWidget;

namespace nodelyx {

// Draws the whole plot for a canvas of the given size.
using PlotDrawing = std::function<void(Canvas& canvas, CanvasSize size)>;

// Each returns false when the file or the printer could not be written; a
// failed save leaves no file behind and an existing one untouched.
bool savePlotSvg(const QString& path, const QString& title, const PlotDrawing& draw);
bool savePlotPng(const QString& path, const PlotDrawing& draw);
bool printPlot(QPrinter& printer, const PlotDrawing& draw);

// The Save command: a save dialog offering "Scalable Vector Graphics
// (*.svg)" and "PNG image (*.png)", then the file; a failure is reported in
// a message box. Cancel does nothing.
void savePlotWithDialog(QWidget* owner, const QString& title, const PlotDrawing& draw);
// The Print command: the print dialog, then one page. Cancel does nothing.
void printPlotWithDialog(QWidget* owner, const PlotDrawing& draw);
// The print dialog (one copy, collated), then print on the chosen printer.
// Cancel does nothing.
void withPlotPrinter(QWidget* owner, const std::function<void(QPrinter&)>& print);

// --- Test hooks -------------------------------------------------------------
// While set, savePlotWithDialog takes the file name from here instead of a
// dialog ("" cancels), and printPlotWithDialog prints to this printer
// (null: cancelled) without showing the print dialog.
void setPlotSaveNameForTests(std::function<QString()> name);
void setPlotPrinterForTests(std::function<QPrinter*()> printer);

}  // namespace nodelyx
