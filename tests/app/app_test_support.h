// Shared by the app tests: a mail folder of real files in a fresh temporary
// folder, the program started on it (and its window destroyed after the
// test), and EXPECT_BYTES_EQ, which shows byte strings readably when they
// differ (tests/support/visible_bytes.h). The window is worked and read
// through tests/support/window_driver.h.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/main_window.h"
#include "platform/window.h"
#include "tests/support/temp_folder.h"
#include "tests/support/visible_bytes.h"
#include "tests/support/window_driver.h"
#include "tools/address_book_writer.h"

namespace apptest {

// A fresh folder; the previous current directory comes back and the folder
// goes when it is destroyed.
class MailFolder {
 public:
  MailFolder();

  // The folder's path with one trailing separator.
  const std::string& Path() const { return path_; }
  void Write(const std::string& name, std::string_view bytes) const;
  void WriteBook(const std::string& name, const std::vector<tools::BookEntry>& entries) const;

 private:
  testsupport::TempFolder folder_{"quillmer-app"};
  std::string path_;
};

// Runs the program's start-up on a folder, into a state of the test's own;
// the main window is destroyed when the test ends, before the state.
class StartedProgram : public ::testing::Test {
 protected:
  void Start(const std::string& folder);
  void TearDown() override;
  platform::Window Window() const;
  const app::MainWindowState& State() const { return state_; }

 private:
  app::MainWindowState state_;
};

}  // namespace apptest

#define EXPECT_BYTES_EQ(expected, actual) \
  EXPECT_EQ(testsupport::Visible(expected), testsupport::Visible(actual))
