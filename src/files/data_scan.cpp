#include "files/data_scan.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <system_error>
#include <thread>

#include "files/data_file_format.h"

namespace nodelyx {

// A reader of its own, and what it has done for the progress report; the
// worker on the calling thread is the one that reports.
class DataScan::Worker {
 public:
  Worker(const ByteSource& source, std::atomic<std::uint64_t>& done, const ScanProgress* report,
         std::uint64_t span)
      : view_(sharedView(source)), reader_(*view_), done_(done), report_(report), span_(span) {}

  BufferedReader& reader() { return reader_; }

  void advance(std::size_t bytes) {
    const std::uint64_t done = done_.fetch_add(bytes, std::memory_order_relaxed) + bytes;
    if (report_ && *report_)
      (*report_)(static_cast<double>(std::min(done, span_)) / static_cast<double>(span_));
  }

  // Stands the reader on offset; previousNumber says whether the byte
  // before it (within the data part, which starts at begin) is a number
  // character.
  bool start(std::uint64_t offset, std::uint64_t begin, bool& previousNumber) {
    previousNumber = false;
    if (offset > begin) {
      if (!reader_.seek(offset - 1)) return false;
      const int c = reader_.get();
      previousNumber = c != BufferedReader::kEnd && charClass(static_cast<char>(c)) == CharClass::Number;
      return reader_.position() == offset;
    }
    return reader_.seek(offset);
  }

 private:
  std::unique_ptr<ByteSource> view_;
  BufferedReader reader_;
  std::atomic<std::uint64_t>& done_;
  const ScanProgress* report_;
  std::uint64_t span_;
};

DataScan::DataScan(const ByteSource& source, std::uint64_t begin, std::uint64_t pieceBytes,
                   const std::atomic<int>& keepGoing)
    : source_(source),
      begin_(std::min(begin, source.size())),
      span_(source.size() - begin_),
      keepGoing_(keepGoing) {
  const std::uint64_t size = std::max<std::uint64_t>(1, pieceBytes);
  const std::uint64_t count = std::max<std::uint64_t>(1, (span_ + size - 1) / size);
  pieces_.resize(static_cast<std::size_t>(count));
  for (std::uint64_t k = 0; k < count; ++k) {
    pieces_[k].begin = begin_ + std::min(span_, k * size);
    pieces_[k].end = begin_ + std::min(span_, (k + 1) * size);
  }
}

std::uint64_t DataScan::valueCount() const { return pieces_.back().firstValue + pieces_.back().values; }

// Hands out the pieces in order to the calling thread and to up to
// hardware_concurrency() - 1 threads; a thread that cannot be started
// leaves its share to the others.
ScanOutcome DataScan::runPieces(const std::function<void(Piece&, Worker&)>& work,
                                const ScanProgress& progress) {
  std::atomic<std::size_t> next{0};
  std::atomic<std::uint64_t> done{0};
  std::atomic<unsigned> running{0};
  const auto share = [&](Worker& worker) {
    for (std::size_t k = next.fetch_add(1); k < pieces_.size() && keepGoing(); k = next.fetch_add(1))
      work(pieces_[k], worker);
  };
  const unsigned workers = static_cast<unsigned>(
      std::min<std::size_t>(std::max(1u, std::thread::hardware_concurrency()), pieces_.size()));
  std::vector<std::thread> threads;
  for (unsigned w = 1; w < workers; ++w) {
    running.fetch_add(1);
    try {
      threads.emplace_back([&] {
        Worker worker(source_, done, nullptr, std::max<std::uint64_t>(1, span_));
        share(worker);
        running.fetch_sub(1, std::memory_order_release);
      });
    } catch (const std::system_error&) {
      running.fetch_sub(1);
      break;
    }
  }
  Worker own(source_, done, &progress, std::max<std::uint64_t>(1, span_));
  share(own);
  while (running.load(std::memory_order_acquire) != 0) {
    own.advance(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  for (std::thread& thread : threads) thread.join();
  if (!keepGoing()) return {ScanResult::Cancelled, 0};
  for (const Piece& piece : pieces_)
    if (piece.outcome.result != ScanResult::Done) return piece.outcome;
  return {};
}

ScanOutcome DataScan::count(const ScanProgress& progress) {
  const ScanOutcome outcome =
      runPieces([this](Piece& piece, Worker& worker) { countPiece(piece, worker); }, progress);
  std::uint64_t first = 0;
  for (Piece& piece : pieces_) {
    piece.firstValue = first;
    first += piece.values;
  }
  return outcome;
}

void DataScan::countPiece(Piece& piece, Worker& worker) {
  bool previousNumber = false;
  if (!worker.start(piece.begin, begin_, previousNumber)) {
    piece.outcome = {ScanResult::Unreadable, piece.begin};
    return;
  }
  BufferedReader& reader = worker.reader();
  while (reader.position() < piece.end) {
    if (!keepGoing()) return;
    std::string_view block = reader.available();
    if (block.empty()) break;
    block = block.substr(
        0, static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), piece.end - reader.position())));
    bool foreign = false;
    piece.values += countNumberRuns(block, previousNumber, foreign);
    if (foreign) {
      const auto bad =
          std::find_if(block.begin(), block.end(), [](char c) { return charClass(c) == CharClass::Other; });
      piece.outcome = {ScanResult::Unrecognizable,
                       reader.position() + static_cast<std::uint64_t>(bad - block.begin())};
      return;
    }
    reader.consume(block.size());
    worker.advance(block.size());
  }
  if (reader.failed()) piece.outcome = {ScanResult::Unreadable, reader.position()};
}

ScanOutcome DataScan::read(double* values, std::uint64_t wanted, const ScanProgress& progress) {
  return runPieces(
      [this, values, wanted](Piece& piece, Worker& worker) { readPiece(piece, worker, values, wanted); },
      progress);
}

namespace {

// Reads up to `wanted` values from the reader's block in one tight loop;
// stops before a run that reaches the end of the block (it may go on in the
// next). Returns how many bytes it used; bad is set where a run is no number.
std::size_t readBlockValues(std::string_view block, double* out, std::uint64_t wanted, std::uint64_t& got,
                            bool& bad) {
  std::size_t k = 0;
  const char* text = block.data();
  const std::size_t size = block.size();
  while (got < wanted) {
    while (k < size && charClass(text[k]) == CharClass::Separator) ++k;
    // Most numbers are short and end at a separator: read them in one go.
    const char* stop = readShortNumber(text + k, text + size, out[got]);
    if (stop != nullptr && stop != text + size && charClass(*stop) == CharClass::Separator) {
      ++got;
      k = static_cast<std::size_t>(stop - text);
      continue;
    }
    std::size_t end = k;
    while (end < size && charClass(text[end]) == CharClass::Number) ++end;
    if (end == size) break;
    if (!parseNumber(text + k, text + end, out[got])) {
      bad = true;
      break;
    }
    ++got;
    k = end;
  }
  return k;
}

}  // namespace

void DataScan::readPiece(Piece& piece, Worker& worker, double* values, std::uint64_t wanted) {
  if (piece.firstValue >= wanted || piece.values == 0) return;
  const std::uint64_t quota = std::min(piece.values, wanted - piece.firstValue);
  double* out = values + piece.firstValue;
  bool previousNumber = false;
  BufferedReader& reader = worker.reader();
  const auto fail = [&piece, &reader] {
    piece.outcome = {reader.failed() ? ScanResult::Unreadable : ScanResult::Unrecognizable,
                     reader.position()};
  };
  if (!worker.start(piece.begin, begin_, previousNumber)) return fail();
  // The run that goes on from the piece before is that piece's.
  if (previousNumber)
    while (charClass(static_cast<char>(reader.peek())) == CharClass::Number) reader.get();
  std::uint64_t got = 0;
  while (got < quota) {
    if (!keepGoing()) return;
    bool bad = false;
    const std::size_t used = readBlockValues(reader.available(), out, quota, got, bad);
    reader.consume(used);
    worker.advance(used);
    if (bad) return fail();
    if (got == quota) break;
    // A run at the end of the block, or the end of the data: the reader
    // refills its buffer, keeping the run whole.
    if (!readNextValue(reader, out[got])) return fail();
    ++got;
  }
}

}  // namespace nodelyx
