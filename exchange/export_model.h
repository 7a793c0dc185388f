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
//
// The model keeps its texts compactly, for a folder of any size: every
// text of a contact back to back in the folder's arena, read as views.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/contact_formats.h"
#include "exchange/export_titles.h"
#include "exchange/text_store.h"

namespace exchange {

struct ExportContact {
  // Its texts, UTF-8; the address as the lists reach it.
  ContactText Fields() const {
    const auto piece = [&](std::size_t i) {
      const std::uint32_t start = i == 0 ? 0 : ends[i - 1];
      return std::string_view(text + start, ends[i] - start);
    };
    return {
        {piece(0), piece(1), piece(2), piece(3), piece(4), piece(5), piece(6), piece(7), piece(8)},
        book};
  }
  // A UUID's text form, without "urn:uuid:"; empty where the target takes
  // no UIDs (ExportRules::uids).
  std::string_view Uid() const {
    return uid == nullptr ? std::string_view() : std::string_view(uid, 36);
  }

  // Where the texts are: name, address, company, phone, notes, key,
  // street, postal, fax back to back from `text`, each ending at its
  // `ends` entry.
  const char* text = nullptr;
  std::array<std::uint32_t, 9> ends{};
  bool made = false;      // made for a plain address no record holds
  std::string_view book;  // the address book's file name
  const char* uid = nullptr;
  // Its lists, in order: ExportFolder::ListsOf.
  std::uint32_t firstList = 0;
  std::uint32_t listCount = 0;
};

struct ExportMember {
  std::optional<std::size_t> contact;  // none only when contacts are not made
  std::string_view address;            // UTF-8
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
  // A deque: a folder of any size grows it without copying it whole.
  std::deque<ExportContact> contacts;
  std::vector<ExportList> lists;
  std::size_t merged = 0;     // records merged into an identical one
  std::size_t undefined = 0;  // bytes the code page does not define
  bool unreadable = false;    // a book or list could not be read

  // The lists `contact` is a member of, in order (indexes into lists).
  std::span<const std::uint32_t> ListsOf(const ExportContact& contact) const {
    return std::span<const std::uint32_t>(contactLists)
        .subspan(contact.firstList, contact.listCount);
  }

  // Where the texts of contacts and members are kept.
  TextArena texts;
  // The lists of every contact, contact after contact.
  std::vector<std::uint32_t> contactLists;
};

// How a target program takes lists.
struct ExportRules {
  bool makeContacts = true;  // false where a list may hold a bare address
  bool uids = false;         // whether contacts need UIDs
  // What a title may be there (a title changed for it counts as renamed).
  const TitleRules* titles = &kAnyTitle;
};

}  // namespace exchange
