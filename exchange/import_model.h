// What `quillmer-cli import` brings back from another program's file: the
// contacts and the groups, all in UTF-8, as the file gives them (not yet cut
// to the widths of a book). Each reader (import_*.cpp) makes one from the
// whole file; the folder writer turns it into a book and list files.
//
// A group's members are what the file says they are: one of its contacts,
// another of its groups (nested groups, mutt's aliases of aliases), or an
// address the file gives only there. Flattening them is the writer's; groups
// may name each other in a ring (never themselves), so flattening keeps
// track of the groups it is inside.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/address_book_record.h"

namespace exchange {

struct ImportedContact {
  engine::BookRecord fields;  // UTF-8; the address is the first the file gives
  std::size_t line = 0;       // where it starts in the file, from 1
};

struct ImportedMember {
  enum class Kind { kContact, kGroup, kAddress };
  Kind kind = Kind::kAddress;
  std::size_t index = 0;  // into contacts (kContact) or groups (kGroup)
  std::string address;    // kAddress: the address, UTF-8
  std::string name;       // kAddress: a display name given with it, if any
};

struct ImportedGroup {
  std::string name;  // UTF-8, as the file gives it
  std::vector<ImportedMember> members;
  std::size_t line = 0;
  // Members the file names but gives nowhere and that say no address (an
  // LDAP dn or a vCard UID of no entry in the file): left out, counted for
  // the report.
  std::size_t unresolved = 0;
};

struct ImportedFile {
  std::vector<ImportedContact> contacts;
  std::vector<ImportedGroup> groups;
};

// Why a file cannot be imported: the line (from 1; 0 for the file as a
// whole) and what is wrong there, in words a message can show after
// "FILE:LINE: ".
struct InputFault {
  std::size_t line = 0;
  std::string what;
};

// What a reader gives: the file's contents, or the first fault in it (and
// then nothing of the contents is to be used).
struct ImportRead {
  ImportedFile file;
  std::optional<InputFault> fault;
};

}  // namespace exchange
