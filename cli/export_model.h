// What `quillmer-cli export` moves, worked out once for every target: the
// contacts (the books' records, identical ones merged, plus a contact for
// each plain address a list reaches that no record holds) and the lists
// with their members, all in UTF-8.
//
// A list's members are exactly what `expand --format to` reaches: each
// entry that gives an address, in list order, each address once (letter
// case ignored); a name leads to its first record, as in the window.
// Entries that give no address are counted as left out.
//
// UIDs are name-based UUIDs (name_uuid.h) of the bytes that make an entry
// what it is: a record's name and address, a made contact's address, a
// list's file name. The same folder gives the same UIDs on every run.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "cli/contact_formats.h"
#include "cli/folder.h"
#include "cli/result.h"
#include "cli/session.h"
#include "platform/codepage.h"

namespace cli {

struct ExportContact {
  Contact fields;                  // UTF-8; the address as the lists reach it
  std::string uid;                 // a UUID's text form, without "urn:uuid:"
  bool made = false;               // made for a plain address no record holds
  std::vector<std::size_t> lists;  // the lists it is a member of, in order
};

struct ExportMember {
  std::optional<std::size_t> contact;  // none only when contacts are not made
  std::string address;                 // UTF-8
};

struct ExportList {
  std::string file;      // as the folder lists it
  std::string rawTitle;  // as the file holds it
  std::string title;     // UTF-8, made unique among the lists
  std::string uid;
  std::vector<ExportMember> members;
  std::size_t leftOut = 0;     // entries that give no address
  std::size_t made = 0;        // members that are contacts made for them
  std::size_t duplicates = 0;  // entries reaching an address again
  bool renamed = false;
  bool readable = true;
};

struct ExportFolder {
  std::vector<ExportContact> contacts;
  std::vector<ExportList> lists;
  std::size_t merged = 0;     // records merged into an identical one
  std::size_t undefined = 0;  // bytes the code page does not define
  bool unreadable = false;    // a book or list could not be read
};

// How a target program takes lists.
struct ExportRules {
  bool makeContacts = true;  // false where a list may hold a bare address
  // Text the target reads as a separator between titles, and what it
  // becomes in a title (a title changed so counts as renamed).
  std::string_view titleSeparator = {};
  std::string_view separatorStandIn = {};
};

// Reads every book and list of `folder`. Fails when the books no longer
// hold what the folder was opened with.
Result<ExportFolder> BuildExport(Session& session, const Folder& folder,
                                 platform::CodePageConverter& converter, const ExportRules& rules);

// Letter case folded as directories and address books compare: ASCII, and
// the Latin-1 letters of UTF-8 text.
std::string FoldedKey(std::string_view text);

// Hands out names no earlier one has (compared as FoldedKey): the first
// `wanted` as it is, the next "wanted (2)", "wanted (3)" ...
class UniqueNames {
 public:
  std::string Claim(std::string_view wanted);
  // Takes `name` when it is free; false when an earlier one has it.
  bool Take(std::string_view name);
  // "wanted" for n = 1, else "wanted (n)".
  static std::string Numbered(std::string_view wanted, std::size_t n);

 private:
  std::unordered_set<std::string> taken_;
};

}  // namespace cli
