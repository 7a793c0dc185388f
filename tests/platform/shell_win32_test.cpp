// The shell layer's ShellExecuteA path for real (under Wine in this build):
// what the system answers for addresses it cannot open, and the message the
// web link would show for that answer.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "app/help.h"
#include "platform/files.h"
#include "platform/shell.h"

namespace {

TEST(OpenWithShell, AFileThatDoesNotExistIsAFailureCodeWithItsMessage) {
  const std::intptr_t code =
      platform::OpenWithShell("OPEN", "Z:\\no such folder\\no such file.quillmer",
                              platform::CurrentFolderPath(), SW_SHOWNORMAL);
  std::printf("ShellExecuteA on a missing file returned %lld\n", static_cast<long long>(code));
  ASSERT_LE(code, 32);
  const std::optional<std::string> message = app::ShellFailureMessage(code);
  ASSERT_TRUE(message.has_value());
  if (code == 2) {
    EXPECT_EQ("The specified file was not found", *message);
  } else if (code == 3) {
    EXPECT_EQ("The specified path was not found", *message);
  }
}

}  // namespace
