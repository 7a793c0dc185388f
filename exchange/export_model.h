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
#include <vector>

#include "exchange/contact_formats.h"
#include "exchange/export_titles.h"

namespace exchange {

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
  std::string original;  // UTF-8; the file name when the file gives no title
  std::string title;     // as the target takes it: acceptable there, unique
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
  // What a title may be there (a title changed for it counts as renamed).
  const TitleRules* titles = &kAnyTitle;
};

}  // namespace exchange
