// "&Help/About" and the web link, with the message boxes and the shell
// answered from the shell layer's queues.
#include "app/help.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app_test_support.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "tests/support/shell_fake.h"

namespace {

using apptest::MailFolder;

// The help text, written out whole.
const std::string kExpectedHelp =
    "Pegasus Mail Mailing Lists can contain a mixture of email addresses and Address Book names. "
    "The names are resolved at the time send a message using the list.This utility will provide "
    "a plain text list of the entries in a mailing list with the corresponding addresses from "
    "the address books.\r\n\r\nSelect a directory which contains your Mailing Lists and Address "
    "Books. \r\nDouble clicking on a Mailing List will search through your address books and "
    "expand the email address fro each anme in the List \r\n\r\n"
    "Copyright \xA9 the Quillmer contributors, December 2026"
    "                                                                              "
    "Version 1.1\r\n"
    "Quillmer contributors, 1 Example Street, Example Town EX1 1XE"
    "                             "
    "This program may be freely distributed.\r\n"
    "E-mail: quillmer@example.org\r\n"
    "https://quillmer.example.org/"
    "                           "
    "This program comes without any warranty.\r\n";

// The run of blanks that ends right before `next` in `text`.
std::size_t BlanksBefore(const std::string& text, const std::string& next) {
  const std::size_t at = text.find(next);
  if (at == std::string::npos) return 0;
  std::size_t start = at;
  while (start > 0 && text[start - 1] == ' ') --start;
  return at - start;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find("\r\n", from)) != std::string::npos; from = at + 2) {
    lines.push_back(text.substr(from, at - from));
  }
  lines.push_back(text.substr(from));
  return lines;
}

TEST(HelpText, IsLaidOutByteForByte) {
  const std::string text = app::BuildHelpText();
  EXPECT_BYTES_EQ(kExpectedHelp, text);

  // The same layout, rule by rule, for a readable failure.
  EXPECT_NE(std::string::npos, text.find("using the list.This utility"));
  const std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(10u, lines.size());
  EXPECT_EQ("", lines[1]);
  EXPECT_EQ("Select a directory which contains your Mailing Lists and Address Books. ", lines[2]);
  EXPECT_EQ(0u, lines[3].find("Double clicking"));
  EXPECT_EQ(' ', lines[3].back());
  EXPECT_EQ("", lines[4]);
  EXPECT_EQ("", lines[9]);  // the text ends with CR LF
  EXPECT_EQ(78u, BlanksBefore(lines[5], "Version 1.1"));
  EXPECT_EQ(29u, BlanksBefore(lines[6], "This program may"));
  EXPECT_EQ(27u, BlanksBefore(lines[8], "This program comes"));
  EXPECT_EQ(0u, lines[5].find("Copyright \xA9"));
  EXPECT_NE(std::string::npos, lines[5].find("December 2026"));
  EXPECT_EQ(0u, lines[8].find(app::kMakerWebAddress));
  // Line breaks are CR LF pairs only.
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      EXPECT_EQ('\n', text[i + 1]) << i;
    }
    if (text[i] == '\n') {
      EXPECT_EQ('\r', text[i - 1]) << i;
    }
  }
}

TEST(HelpText, NamesOnlyPlaceholderAddressesOfTheProject) {
  // Every web and mail address the program shows (help text and web link)
  // is in example.org, a domain reserved for examples: never a real one.
  std::string shown = app::BuildHelpText() + " " + app::kMakerWebAddress;
  for (char& c : shown) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  std::vector<std::string> hosts;
  for (std::size_t start = 0; start < shown.size();) {
    const std::size_t end = std::min(shown.find(' ', start), shown.size());
    const std::string word = shown.substr(start, end - start);
    start = end + 1;
    if (const auto scheme = word.find("://"); scheme != std::string::npos) {
      hosts.push_back(word.substr(scheme + 3, word.find('/', scheme + 3) - (scheme + 3)));
    } else if (const auto at = word.find('@'); at != std::string::npos) {
      hosts.push_back(word.substr(at + 1));
    }
  }
  ASSERT_EQ(3u, hosts.size());  // the web site twice, the e-mail address once
  const std::string domain = "example.org";
  for (const std::string& host : hosts) {
    const bool inDomain = host == domain || (host.size() > domain.size() &&
                                             host.compare(host.size() - domain.size() - 1,
                                                          std::string::npos, "." + domain) == 0);
    EXPECT_TRUE(inDomain) << host;
  }
}

TEST(ShellFailureMessage, ChoosesTheTextForEachCode) {
  const std::vector<std::pair<std::intptr_t, std::string>> cases = {
      {0, "The operating system is out of memory or resources"},
      {2, "The specified file was not found"},
      {3, "The specified path was not found"},
      {5, "The operating system denied access to the specified file"},
      {11, "The .EXE file is invalid (non-Win32.EXE or error in .EXE image)"},
      {31, "Undefined error message number  31"},
      {32, "Undefined error message number  32"},
      {1, "Undefined error message number  1"},
      {-4, "Undefined error message number -4"},
  };
  for (const auto& [code, text] : cases) {
    SCOPED_TRACE(code);
    ASSERT_TRUE(app::ShellFailureMessage(code).has_value());
    EXPECT_EQ(text, *app::ShellFailureMessage(code));
  }
  EXPECT_FALSE(app::ShellFailureMessage(33).has_value());
  EXPECT_FALSE(app::ShellFailureMessage(42).has_value());
}

class HelpWindowTest : public apptest::StartedProgram {
 protected:
  void SetUp() override {
    platform::ResetShell();
    Start(folder_.Path());
  }
  void TearDown() override {
    StartedProgram::TearDown();
    platform::ResetShell();
  }
  std::intptr_t Click(int id) {
    return platform::SendCommand(Window(), id, platform::kButtonClicked);
  }

  MailFolder folder_;
};

TEST_F(HelpWindowTest, HelpButtonShowsTheTextWithItsCaptionAndAnOkButton) {
  EXPECT_EQ(0, Click(app::kHelpButtonId));
  ASSERT_EQ(1u, platform::ShownMessages().size());
  const platform::ShownMessage& shown = platform::ShownMessages()[0];
  EXPECT_BYTES_EQ(kExpectedHelp, shown.text);
  EXPECT_EQ(
      std::optional<std::string>("Quillmer - Expands Addresses in Pegasus Mail Mailing Lists"),
      shown.caption);
  EXPECT_EQ(0u, shown.style);
  // Built anew, not appended to.
  Click(app::kHelpButtonId);
  ASSERT_EQ(2u, platform::ShownMessages().size());
  EXPECT_BYTES_EQ(kExpectedHelp, platform::ShownMessages()[1].text);
}

TEST_F(HelpWindowTest, ASecondHelpClickWhileTheBoxIsOpenShowsASecondIdenticalBox) {
  int openInside = 0;
  std::string folderTextInside;
  platform::QueueWhileMessageOpen([&] {
    Click(app::kHelpButtonId);
    openInside = platform::OpenDialogs();
    // The main window goes on working meanwhile.
    platform::SetPaneText(Window(), app::kOutputPaneId, "b\r\na\r\n");
    Click(app::kSortListButtonId);
  });
  Click(app::kHelpButtonId);
  ASSERT_EQ(2u, platform::ShownMessages().size());
  EXPECT_EQ(1, openInside);
  EXPECT_BYTES_EQ(kExpectedHelp, platform::ShownMessages()[0].text);
  EXPECT_BYTES_EQ(kExpectedHelp, platform::ShownMessages()[1].text);
  EXPECT_EQ(platform::ShownMessages()[0].caption, platform::ShownMessages()[1].caption);
  EXPECT_EQ("a\r\nb\r\n", platform::PaneText(Window(), app::kOutputPaneId));
  EXPECT_EQ(0, platform::OpenDialogs());
}

TEST_F(HelpWindowTest, WebLinkOpensItsOwnCaptionInTheCurrentDirectoryAndIsSilentOnSuccess) {
  EXPECT_EQ(app::kMakerWebAddress, platform::ControlText(Window(), app::kWebLinkButtonId));
  platform::QueueShellResult(33);
  EXPECT_EQ(0, Click(app::kWebLinkButtonId));
  ASSERT_EQ(1u, platform::ShellRequests().size());
  const platform::ShellRequest& request = platform::ShellRequests()[0];
  EXPECT_EQ("OPEN", request.verb);
  EXPECT_EQ(app::kMakerWebAddress, request.file);
  EXPECT_EQ(platform::CurrentFolderPath(), request.directory);
  EXPECT_EQ(folder_.Path().substr(0, folder_.Path().size() - 1), request.directory);
  EXPECT_EQ(1, request.show);
  EXPECT_TRUE(platform::ShownMessages().empty());
}

TEST_F(HelpWindowTest, EachShellFailureShowsItsMessageWithoutACaptionOfOurOwn) {
  platform::QueueShellResult(2);
  platform::QueueShellResult(31);
  Click(app::kWebLinkButtonId);
  Click(app::kWebLinkButtonId);
  ASSERT_EQ(2u, platform::ShownMessages().size());
  EXPECT_EQ("The specified file was not found", platform::ShownMessages()[0].text);
  EXPECT_EQ(std::nullopt, platform::ShownMessages()[0].caption);
  EXPECT_EQ(0u, platform::ShownMessages()[0].style);
  EXPECT_EQ("Undefined error message number  31", platform::ShownMessages()[1].text);
}

TEST(OpenWebAddress, UsesOnlyTheFirst255Bytes) {
  platform::ResetShell();
  const std::string address = "https://example.org/" + std::string(300, 'x');
  app::OpenWebAddress(address.c_str());
  ASSERT_EQ(1u, platform::ShellRequests().size());
  EXPECT_EQ(address.substr(0, 255), platform::ShellRequests()[0].file);
  platform::ResetShell();
}

}  // namespace
