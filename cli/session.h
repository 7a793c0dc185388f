// One run's standard output and standard error, as strings that grow: the
// lines a command writes end in the run's line end, messages on standard
// error are one line each after the program's name, and a long output is
// handed on in pieces as it grows.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "base/name_form.h"

namespace cli {

inline constexpr std::string_view kProgram = "quillmer-cli";

// The command line's words are UTF-8 (platform::CommandLineWords), and so is
// every name it hands the file layer: a folder or file named outside the
// ANSI code page is reached through the wide calls on Windows.
inline constexpr base::NameForm kNames = base::NameForm::kUtf8;

class Session {
 public:
  // `drain`, when given and set, takes the output away once it is large;
  // files that cannot be read are tried again for `retryFor` in all.
  Session(std::string_view lineEnd, std::string& out, std::string& err,
          const std::function<void(std::string&)>* drain,
          std::chrono::milliseconds retryFor = std::chrono::milliseconds{0})
      : lineEnd_(lineEnd), out_(out), err_(err), drain_(drain), retryFor_(retryFor) {}

  // Hands the output on once it is large, so that an export of any size
  // keeps little in memory.
  void Drain();
  // Hands `text` on after what the output holds, leaving `text` empty:
  // at once where the output is handed on, else appended to it.
  void Pass(std::string& text);

  // One line on standard error, prefixed with the program's name.
  void Note(std::string_view message);

  // Note(message), and the exit status of an error (kExitError).
  int Fail(std::string_view message);

  // `text` and the line end on standard output.
  void Line(std::string_view text);

  std::string& out() { return out_; }
  std::chrono::milliseconds retryFor() const { return retryFor_; }

 private:
  std::string_view lineEnd_;
  std::string& out_;
  std::string& err_;
  const std::function<void(std::string&)>* drain_;
  std::chrono::milliseconds retryFor_;
};

// `text` in single quotes, as messages name what they are about.
std::string Quoted(std::string_view text);

// "1 contact", "3 contacts": a count and its noun, as summaries say it.
std::string Counted(std::size_t n, std::string_view one, std::string_view many);

// A file or folder name, or a word of the command line, as the program
// prints it: its bytes in the ANSI code page (platform::AnsiFormOf), as
// before names were UTF-8, or its UTF-8 where that code page lacks one of
// its characters. Unchanged off Windows.
std::string Shown(std::string_view name);

}  // namespace cli
