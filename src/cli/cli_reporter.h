// The command-line program's reporter: every message goes to standard error
// as "Title: text".
#pragma once

#include <cstdio>

#include "files/reporter.h"

namespace nodelyx::cli {

class StderrReporter final : public Reporter {
 public:
  using Reporter::report;
  void report(const Message& message) override {
    std::fprintf(stderr, "%s: %s\n", message.title.c_str(), message.text.c_str());
    ++count_;
  }
  int count() const { return count_; }

 private:
  int count_ = 0;
};

}  // namespace nodelyx::cli
