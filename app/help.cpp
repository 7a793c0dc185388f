// Help, about and the web link.
#include "app/help.h"

#include <charconv>
#include <cstring>

#include "platform/files.h"
#include "platform/shell.h"
#include "quillmer_version.h"

namespace app {

const char kMakerWebAddress[] = "https://quillmer.example.org/";
const char kHelpCaption[] = "Quillmer - Expands Addresses in Pegasus Mail Mailing Lists";

namespace {

// Placeholders of the maker block; the layout around them is fixed.
constexpr char kMakerNotice[] = "Copyright \xA9 the Quillmer contributors, December 2026";
constexpr char kMakerPostal[] = "Quillmer contributors, 1 Example Street, Example Town EX1 1XE";
constexpr char kMakerEmail[] = "E-mail: quillmer@example.org";
constexpr char kFreelyDistributed[] = "This program may be freely distributed.";
constexpr char kNoWarranty[] = "This program comes without any warranty.";

constexpr char kCrLf[] = "\r\n";

constexpr std::size_t kAddressLimit = 255;

// A number as the program writes numbers: decimal, one leading blank when
// not negative.
std::string NumberText(std::intptr_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  std::string text(digits, end);
  return value < 0 ? text : " " + text;
}

}  // namespace

// The text is the one users of the program have always read, word for word,
// and is kept so on purpose: "the time send", "fro each anme", the missing
// blank after "using the list." and the blank before each line break are not
// to be corrected.
std::string BuildHelpText() {
  std::string text;
  text +=
      "Pegasus Mail Mailing Lists can contain a mixture of email addresses and Address Book "
      "names. The names are resolved at the time send a message using the list.";
  text +=
      "This utility will provide a plain text list of the entries in a mailing list with the "
      "corresponding addresses from the address books.";
  text += kCrLf;
  text += kCrLf;
  text += "Select a directory which contains your Mailing Lists and Address Books. ";
  text += kCrLf;
  text +=
      "Double clicking on a Mailing List will search through your address books and expand "
      "the email address fro each anme in the List ";
  text += kCrLf;
  text += kCrLf;
  text += kMakerNotice + std::string(78, ' ') + "Version " QUILLMER_VERSION + kCrLf;
  text += kMakerPostal + std::string(29, ' ') + kFreelyDistributed + kCrLf;
  text += std::string(kMakerEmail) + kCrLf;
  text += kMakerWebAddress + std::string(27, ' ') + kNoWarranty + kCrLf;
  return text;
}

void ShowHelpAbout() {
  // Each box gets its own text: a box opened from inside this one builds
  // another while this one is still on screen.
  platform::ShowMessage(BuildHelpText(), std::string(kHelpCaption), platform::kMessageBoxOk);
}

std::int32_t HelpAboutClicked(MainWindowState&, platform::Window, unsigned, std::uintptr_t,
                              std::intptr_t) {
  ShowHelpAbout();
  return 0;
}

std::optional<std::string> ShellFailureMessage(std::intptr_t code) {
  if (code > 32) return std::nullopt;
  switch (code) {
    case 0:
      return "The operating system is out of memory or resources";
    case 2:
      return "The specified file was not found";
    case 3:
      return "The specified path was not found";
    case 11:
      return "The .EXE file is invalid (non-Win32.EXE or error in .EXE image)";
    case 5:
      return "The operating system denied access to the specified file";
    default:
      return "Undefined error message number " + NumberText(code);
  }
}

void OpenWebAddress(const char* address) {
  char local[kAddressLimit + 1] = {};
  if (address != nullptr) std::strncpy(local, address, kAddressLimit);
  const std::string directory = platform::CurrentFolderPath();
  const std::intptr_t code =
      platform::OpenWithShell("OPEN", local, directory, platform::kShowNormal);
  if (auto message = ShellFailureMessage(code)) {
    platform::ShowMessage(std::move(*message), std::nullopt, platform::kMessageBoxOk);
  }
}

std::int32_t OpenMakerWebSite(MainWindowState&, platform::Window, unsigned, std::uintptr_t,
                              std::intptr_t) {
  char address[kAddressLimit + 1] = {};
  std::strncpy(address, kMakerWebAddress, kAddressLimit);
  OpenWebAddress(address);
  return 0;
}

}  // namespace app
