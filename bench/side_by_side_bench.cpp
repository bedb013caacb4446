// Training speed side by side with FANN (double precision), as a user
// meets it: our epochs run through the same path as `nodelyx-cli train`
// (a configuration opened with its training file, a run on its worker,
// every epoch ending with its statistics pass), FANN's through
// fann_train_epoch. Four cells (online back-propagation and RPROP, on
// 16-64-4 with 10,000 patterns and 64-256-10 with 5,000), the same shape,
// logistic neurons, rate 0.1, momentum 0.5, no saturation prevention;
// each cell alternates the two five times and prints the medians of
// connection updates per second and their ratio. With --all, batch
// back-propagation and QuickProp follow on the same shapes (each with its
// own parameters: the speed is what is compared).
//
// Usage: nodelyx_side_by_side [ROUNDS] [--all]
#include <doublefann.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "app/session_files.h"
#include "app/training_run.h"
#include "median.h"
#include "synthetic_set.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Cell {
  const char* name;
  int method;  // the configuration's code: 1 online, 2 batch, 3 RPROP, 4 QuickProp
  fann_train_enum fannAlgorithm;
  int inputs, hidden, outputs, patterns, epochs;
};

constexpr Cell kCells[] = {
    {"online 16-64-4", 1, FANN_TRAIN_INCREMENTAL, 16, 64, 4, 10000, 20},
    {"online 64-256-10", 1, FANN_TRAIN_INCREMENTAL, 64, 256, 10, 5000, 4},
    {"RPROP 16-64-4", 3, FANN_TRAIN_RPROP, 16, 64, 4, 10000, 40},
    {"RPROP 64-256-10", 3, FANN_TRAIN_RPROP, 64, 256, 10, 5000, 10},
    // --all
    {"batch 16-64-4", 2, FANN_TRAIN_BATCH, 16, 64, 4, 10000, 40},
    {"batch 64-256-10", 2, FANN_TRAIN_BATCH, 64, 256, 10, 5000, 10},
    {"QuickProp 16-64-4", 4, FANN_TRAIN_QUICKPROP, 16, 64, 4, 10000, 40},
    {"QuickProp 64-256-10", 4, FANN_TRAIN_QUICKPROP, 64, 256, 10, 5000, 10},
};
constexpr std::size_t kFirstCells = 4;

double connections(const Cell& c) {
  return static_cast<double>((c.inputs + 1) * c.hidden + (c.hidden + 1) * c.outputs);
}

// The configuration and its training file, written as a user would have
// them (values with all their digits).
std::filesystem::path writeConfiguration(const Cell& c, const nodelyx::bench::SyntheticSet& set,
                                         const std::filesystem::path& dir) {
  const std::string stem = "cell" + std::to_string(c.method) + "_" + std::to_string(c.hidden);
  std::ofstream data(dir / (stem + ".trn"));
  data.precision(17);
  data << "[INPUTS] " << c.inputs << "\n[OUTPUTS] " << c.outputs << "\n";
  const int stride = c.inputs + c.outputs;
  for (int p = 0; p < c.patterns; ++p) {
    for (int v = 0; v < stride; ++v) data << set.values[static_cast<std::size_t>(p * stride + v)] << ' ';
    data << '\n';
  }
  std::ofstream config(dir / (stem + ".net"));
  config << "[TRAINING] " << c.method << "\n[EPOCHS] " << c.epochs
         << "\n[GAIN] 0.1\n[MOMENTUM] 0.5\n[PREVSAT] 0\n[ENFORCE_TRAIN] 0\n[ENFORCE_TEST] 0\n"
         << "[LAYERS] 3\n[HIDDEN1] " << c.hidden << " 1\n[OUTPUT] 1\n[TRAININGFILE] " << stem << ".trn\n";
  return dir / (stem + ".net");
}

// As nodelyx-cli train: open, build, run on the worker, wait. The time
// covers the run, from its start to its end.
double trainOurs(const Cell& c, const std::filesystem::path& config) {
  nodelyx::SilentReporter reporter;
  nodelyx::Session session;
  nodelyx::SessionFileActions actions(session, reporter);
  if (!nodelyx::openConfiguration(session, config, nodelyx::CompanionOrder::CommandLine, actions, nullptr, {},
                                  reporter)) {
    std::fprintf(stderr, "Could not open %s\n", config.c_str());
    std::exit(1);
  }
  const std::uint32_t seed = 1;
  session.buildNetwork(reporter, &seed);
  nodelyx::TrainingRun run;
  const auto start = Clock::now();
  run.start(session, nullptr, reporter);
  run.wait();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  return connections(c) * c.patterns * session.epochCount / seconds;
}

struct FannCell {
  fann* ann = nullptr;
  fann_train_data* data = nullptr;
};

FannCell prepareFann(const Cell& c, const nodelyx::bench::SyntheticSet& set) {
  FannCell f;
  f.ann = fann_create_standard(3, c.inputs, c.hidden, c.outputs);
  fann_set_activation_function_hidden(f.ann, FANN_SIGMOID);
  fann_set_activation_function_output(f.ann, FANN_SIGMOID);
  fann_set_training_algorithm(f.ann, c.fannAlgorithm);
  fann_set_learning_rate(f.ann, 0.1f);
  fann_set_learning_momentum(f.ann, 0.5f);
  fann_randomize_weights(f.ann, -0.1, 0.1);
  f.data = fann_create_train(static_cast<unsigned>(c.patterns), static_cast<unsigned>(c.inputs),
                             static_cast<unsigned>(c.outputs));
  const int stride = c.inputs + c.outputs;
  for (int p = 0; p < c.patterns; ++p) {
    const double* row = set.values.data() + static_cast<std::size_t>(p * stride);
    for (int i = 0; i < c.inputs; ++i) f.data->input[p][i] = row[i];
    for (int k = 0; k < c.outputs; ++k) f.data->output[p][k] = row[c.inputs + k];
  }
  return f;
}

double trainFann(const Cell& c, const nodelyx::bench::SyntheticSet& set) {
  FannCell f = prepareFann(c, set);
  const auto start = Clock::now();
  for (int e = 0; e < c.epochs; ++e) fann_train_epoch(f.ann, f.data);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double cups =
      static_cast<double>(fann_get_total_connections(f.ann)) * c.patterns * c.epochs / seconds;
  fann_destroy_train(f.data);
  fann_destroy(f.ann);
  return cups;
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  int rounds = 5;
  std::size_t cells = kFirstCells;
  for (int a = 1; a < argc; ++a) {
    if (std::string(argv[a]) == "--all")
      cells = std::size(kCells);
    else
      rounds = std::max(1, std::atoi(argv[a]));
  }
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("nodelyx_side_by_side_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::printf("%-20s %14s %14s %7s   (connection updates per second, median of %d)\n", "cell", "Nodelyx",
              "FANN", "ratio", rounds);
  for (const Cell& c : std::span(kCells).first(cells)) {
    const nodelyx::bench::SyntheticSet set(c.inputs, c.outputs, c.patterns);
    const std::filesystem::path config = writeConfiguration(c, set, dir);
    std::vector<double> ours, theirs;
    for (int round = 0; round < rounds; ++round) {
      ours.push_back(trainOurs(c, config));
      theirs.push_back(trainFann(c, set));
    }
    const double a = nodelyx::bench::median(ours), b = nodelyx::bench::median(theirs);
    std::printf("%-20s %14.4g %14.4g %6.2fx\n", c.name, a, b, a / b);
  }
  std::filesystem::remove_all(dir);
  return 0;
}
