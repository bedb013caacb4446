// The commands that use a trained model: export (source code), eval
// (standard input to standard output) and history (the training history of
// the weights).
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/session_files.h"
#include "cli/cli_reporter.h"
#include "cli/cli_support.h"
#include "cli/commands.h"
#include "cli/input_rows.h"
#include "cli/model_command.h"
#include "export/code_export.h"
#include "files/c_format.h"
#include "files/output_file.h"

namespace nodelyx::cli {
namespace {

constexpr std::string_view kExportUsage =
    "Usage: nodelyx-cli export MODEL --lang c|pascal|matlab --output FILE\n"
    "Writes the model as C source, a Pascal unit or a Matlab function that\n"
    "evaluates it, scaling included.\n";

constexpr std::string_view kEvalUsage =
    "Usage: nodelyx-cli eval MODEL\n"
    "Reads input rows (numbers separated by blanks, tabs, commas or semicolons)\n"
    "from standard input and writes the model's outputs, in the data's own units,\n"
    "one row each. A line that is not a row of numbers ends the command with an\n"
    "error naming the line.\n";

constexpr std::string_view kHistoryUsage =
    "Usage: nodelyx-cli history MODEL\n"
    "Prints the training history of the model's weights.\n";

}  // namespace

int runExportCommand(Arguments args) {
  constexpr KnownOption options[] = {{"--lang", 1}, {"--output", 1}};
  int exitCode = kExitOk;
  const auto parsed = parseModelArguments(args, options, "export", kExportUsage, exitCode);
  if (!parsed) return exitCode;
  const std::string language = parsed->value("--lang");
  if (language != "c" && language != "pascal" && language != "matlab") {
    printUsageError("export", "--lang must be c, pascal or matlab", kExportUsage);
    return kExitUsage;
  }
  if (!parsed->has("--output")) {
    printUsageError("export", "--output is needed", kExportUsage);
    return kExitUsage;
  }
  const ExportLanguage lang = language == "c"        ? ExportLanguage::C
                              : language == "pascal" ? ExportLanguage::Pascal
                                                     : ExportLanguage::Matlab;
  const std::string output = parsed->value("--output");
  ModelCommand model(*parsed);
  // A unit or function named after a file name that is no identifier would
  // not compile: refuse before loading or writing anything.
  if (const auto problem = exportNameProblem(lang, output)) {
    model.reporter.report("Error", *problem, MessageIcon::Error);
    return kExitFailure;
  }
  if (!model.loadModel()) return kExitFailure;
  const Session& session = model.session;
  std::string reason;
  const bool written = lang == ExportLanguage::C
                           ? writeCCode(*session.network, output, session.networkFile, &reason)
                       : lang == ExportLanguage::Pascal
                           ? writePascalCode(*session.network, output, session.networkFile, &reason)
                           : writeMatlabCode(*session.network, output, session.networkFile, &reason);
  if (!written) {
    reportFileMessage(model.reporter, "Could not write file %s", output, reason);
    return kExitFailure;
  }
  return kExitOk;
}

int runEvalCommand(Arguments args) {
  int exitCode = kExitOk;
  const auto parsed = parseModelArguments(args, {}, "eval", kEvalUsage, exitCode);
  if (!parsed) return exitCode;
  ModelCommand model(*parsed);
  if (!model.loadModel()) return kExitFailure;
  Network& network = *model.session.network;
  const auto inputCount = static_cast<std::size_t>(network.inputCount());
  std::vector<double> outputs(static_cast<std::size_t>(network.outputCount()));
  // Room for every input written out in full, and then some.
  InputRows rows(STDIN_FILENO, 65536 + 64 * inputCount);
  std::vector<double> inputs;
  for (;;) {
    switch (rows.next(inputs)) {
      case InputRows::Result::Row:
        break;
      case InputRows::Result::End:
        return kExitOk;
      case InputRows::Result::Problem:
        model.reporter.report("Error", rows.problem(), MessageIcon::Error);
        return kExitFailure;
    }
    if (inputs.empty()) continue;  // a blank line
    if (inputs.size() != inputCount) {
      model.reporter.report("Error",
                            formatC("Line %zu of the input holds %zu numbers; the network has %zu inputs.",
                                    rows.lineNumber(), inputs.size(), inputCount),
                            MessageIcon::Error);
      return kExitFailure;
    }
    network.recall(inputs.data(), outputs.data());
    std::string row;
    for (std::size_t k = 0; k < outputs.size(); ++k) row += formatC(k ? " %.10g" : "%.10g", outputs[k]);
    std::printf("%s\n", row.c_str());
  }
}

int runHistoryCommand(Arguments args) {
  int exitCode = kExitOk;
  const auto parsed = parseModelArguments(args, {}, "history", kHistoryUsage, exitCode);
  if (!parsed) return exitCode;
  ModelCommand model(*parsed);
  if (!model.loadModel()) return kExitFailure;
  const Session& session = model.session;
  if (session.history.empty()) {
    model.reporter.report("Warning - Training history not available.",
                          "The training history contains details about all training sessions\n"
                          "associated with the currently loaded weights.\n\n"
                          "You must either create a new set of weights by training a new network or\n"
                          "load a previously saved weights file.",
                          MessageIcon::Warning);
    return kExitFailure;
  }
  std::string text;
  writeHistory(text, session.history);
  // The section without the blank lines and the marker that open it.
  const std::size_t first = text.find("*** ");
  std::fputs(text.c_str() + (first == std::string::npos ? 0 : first), stdout);
  return kExitOk;
}

}  // namespace nodelyx::cli
