// How the core tells the user something: every user-facing message goes to a
// Reporter with its title, text and icon. The desktop program shows message
// boxes, the command-line program prints "Title: text" to standard error.
// The core itself never prints or shows anything.
#pragma once

#include <string>
#include <vector>

namespace nodelyx {

// None: a plain box without an icon.
enum class MessageIcon { Information, Warning, Error, Question, None };

struct Message {
  std::string title;
  std::string text;
  MessageIcon icon = MessageIcon::Error;
};

class Reporter {
 public:
  virtual ~Reporter() = default;
  virtual void report(const Message& message) = 0;

  void report(std::string title, std::string text, MessageIcon icon) {
    report(Message{std::move(title), std::move(text), icon});
  }
};

// Drops every message; for callers that have nobody to tell.
class SilentReporter final : public Reporter {
 public:
  using Reporter::report;
  void report(const Message&) override {}
};

// Keeps every message; tests use it to check the exact texts.
class RecordingReporter final : public Reporter {
 public:
  using Reporter::report;
  void report(const Message& message) override { messages.push_back(message); }
  std::vector<Message> messages;
};

}  // namespace nodelyx
