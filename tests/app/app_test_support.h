// Shared by the app tests: a real mail folder in the temporary directory,
// the program started on it, and a file held open by "another program".
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/window.h"
#include "tools/address_book_writer.h"

namespace apptest {

// A fresh folder; the previous current directory comes back and the folder
// goes when it is destroyed.
class MailFolder {
 public:
  MailFolder();
  ~MailFolder();
  MailFolder(const MailFolder&) = delete;
  MailFolder& operator=(const MailFolder&) = delete;

  // The folder's path with one trailing separator.
  const std::string& Path() const { return path_; }
  void Write(const std::string& name, std::string_view bytes) const;
  void WriteBook(const std::string& name, const std::vector<tools::BookEntry>& entries) const;

 private:
  std::string path_;
  std::string previous_;
};

// Runs the program's start-up on a folder; the main window is destroyed
// when the test ends.
class StartedProgram : public ::testing::Test {
 protected:
  void Start(const std::string& folder);
  void TearDown() override;
  platform::Window Window() const;
};

// Readable failure output for byte strings: CR, LF, TAB and bytes outside
// printable ASCII spelled out.
std::string Visible(std::string_view bytes);

}  // namespace apptest

#define EXPECT_BYTES_EQ(expected, actual) \
  EXPECT_EQ(apptest::Visible(expected), apptest::Visible(actual))
