// Counting and reading the values of a data file's data part on several
// threads. The part is cut into pieces of about pieceBytes; a piece owns the
// values that start in it (a number cut by a boundary is read whole by the
// piece it starts in), so that the pieces joined in order hold exactly what
// one reader going from start to end finds, and the first fault of the
// first piece that has one is the first fault in the file. The calling
// thread works on pieces too, is the only one that reports progress, and
// joins the other workers (at most hardware_concurrency() in all) before
// returning.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

#include "files/buffered_reader.h"

namespace nodelyx {

// Large enough that a piece costs far more than a thread's start, small
// enough that two workers share a file evenly.
inline constexpr std::uint64_t kDataPieceBytes = std::uint64_t{4} << 20;

enum class ScanResult { Done, Cancelled, Unrecognizable, Unreadable };

struct ScanOutcome {
  ScanResult result = ScanResult::Done;
  std::uint64_t offset = 0;  // Unrecognizable: where the fault starts
};

// Fraction of the data part done, 0..1, never decreasing.
using ScanProgress = std::function<void(double fraction)>;

class DataScan {
 public:
  // The bytes of source from begin to its end; keepGoing is polled per
  // block of every piece (0: stop, the outcome is Cancelled).
  DataScan(const ByteSource& source, std::uint64_t begin, std::uint64_t pieceBytes,
           const std::atomic<int>& keepGoing);

  // Counts the values (runs of number characters); Unrecognizable at the
  // first character that has no place in the data.
  ScanOutcome count(const ScanProgress& progress);
  std::uint64_t valueCount() const;

  // After count: reads the first `wanted` values into values[0..wanted);
  // Unrecognizable at the first of them that is no number.
  ScanOutcome read(double* values, std::uint64_t wanted, const ScanProgress& progress);

 private:
  struct Piece {
    std::uint64_t begin = 0, end = 0;
    std::uint64_t values = 0;      // runs that start in the piece
    std::uint64_t firstValue = 0;  // index of its first value in the data part
    ScanOutcome outcome;
  };
  class Worker;

  ScanOutcome runPieces(const std::function<void(Piece&, Worker&)>& work, const ScanProgress& progress);
  void countPiece(Piece& piece, Worker& worker);
  void readPiece(Piece& piece, Worker& worker, double* values, std::uint64_t wanted);
  bool keepGoing() const { return keepGoing_.load(std::memory_order_relaxed) != 0; }

  const ByteSource& source_;
  std::uint64_t begin_;
  std::uint64_t span_;
  const std::atomic<int>& keepGoing_;
  std::vector<Piece> pieces_;
};

}  // namespace nodelyx
