// export --to mutt: an alias file, one alias per contact and one per list
// naming its members' aliases; mutt expands aliases inside aliases.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/address_syntax.h"
#include "exchange/export_pieces.h"
#include "exchange/export_targets.h"
#include "exchange/text_store.h"

namespace exchange {

namespace {

// `text` as one word of a muttrc line: mutt reads a backslash as taking the
// next character as it is, so every character its command parser acts on
// (quotes, backquotes, $, #, ; and the backslash) gets one.
std::string MuttrcWord(std::string_view text) {
  std::string word;
  for (const char c : text) {
    if (std::string_view("\\\"'`$#;").find(c) != std::string_view::npos) word += '\\';
    word += c;
  }
  return word;
}

}  // namespace

void WriteMutt(const ExportFolder& folder, ExportContext& context) {
  // The lists' keys are theirs (made in the export's model, by the mutt
  // title rules); a contact whose key a list has gets a numbered one. The
  // keys are given out first, in order.
  UniqueNames taken(kMuttTitle);
  for (const ExportList& list : folder.lists) taken.Take(list.title);
  std::vector<std::string_view> keys(folder.contacts.size());
  TextArena kept;
  for (std::size_t i = 0; i < folder.contacts.size(); ++i) {
    const ContactText c = folder.contacts[i].Fields();
    // An alias without an address would only stop mutt sending; no list
    // member is one.
    if (c.address.empty()) continue;
    const std::string_view from = !c.key.empty()    ? c.key
                                  : !c.name.empty() ? c.name
                                                    : c.address.substr(0, c.address.find('@'));
    // The alias key of `from`, or key-2, key-3 ... when an earlier alias
    // has it (mutt compares keys without letter case).
    keys[i] = kept.Add(taken.Claim(from));
  }
  std::array<std::string, 2> values;  // a lane's alias value, its room kept
  WriteContacts(folder, context, [&](std::size_t i, std::string& out, std::size_t lane) {
    const ContactText c = folder.contacts[i].Fields();
    if (c.address.empty()) return;
    const std::string name = DisplayName(c.name);
    std::string& value = values[lane];
    if (name.empty()) {
      value = c.address;
    } else {
      value = name;
      value += " <";
      value += c.address;
      value += '>';
    }
    out += "alias ";
    out += keys[i];
    out += ' ';
    out += MuttrcWord(value);
    out += '\n';
  });
  std::string& out = context.sink.out();
  for (const ExportList& list : folder.lists) {
    if (!Arrives(list, true)) continue;
    // The title in a comment above: keys say little of a list.
    std::string title = list.original;
    for (char& c : title) c = c == '\r' || c == '\n' ? ' ' : c;
    out += "# " + title + " (" + list.file + ")\nalias " + list.title + " ";
    for (std::size_t i = 0; i < list.members.size(); ++i) {
      if (i > 0) out += ", ";
      out += keys[*list.members[i].contact];
    }
    out += "\n";
  }
}

}  // namespace exchange
