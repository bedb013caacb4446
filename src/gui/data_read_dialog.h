// Reads a data file on a DataReadJob's worker thread while a modal progress
// dialog (caption, bar, percentage, Cancel) is shown. GUI thread only.
//
// The worker's callbacks reach the GUI thread like this: the percentage is
// kept in an atomic that a 30 ms timer shows (so a fast reader cannot flood
// the event queue); the caption is posted once; the inputs/outputs question
// and every message of the reader are blocking calls onto the dialog,
// because the reader waits for the answer. The reader's messages are shown
// as message boxes owned by the progress dialog; they are not passed to the
// caller's reporter, so every message is shown exactly once, in front of the
// dialog it concerns.
#pragma once

#include "files/data_read_job.h"
#include "files/reporter.h"

class QWidget;

namespace nodelyx {

inline constexpr const char* kDataReadDialogObjectName = "dataReadDialog";

// Shows "Reading Training File" or "Reading Testing File" (by request.kind),
// reads request.path and returns the outcome once the worker has ended.
// Cancel (or the close box, or Escape) stops the reading; the dialog stays
// until the worker has stopped, and the outcome is then not ok. reporter
// takes messages of the dialog itself (there are none at present); it is
// never called from the worker.
DataReadOutcome readDataFileWithProgress(QWidget* owner, const DataReadRequest& request, Reporter& reporter);

}  // namespace nodelyx
