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
#include "exchange/name_uuid.h"
#include "exchange/text_store.h"

namespace exchange {

struct ExportContact {
  // Its texts, UTF-8; the address as the lists reach it.
  ContactText Fields() const {
    const char* at = text;
    const auto next = [&](std::size_t size) {
      const std::string_view piece(at, size);
      at += size;
      return piece;
    };
    ContactText fields;
    fields.name = next(sizes[0]);
    fields.address = next(addressSize);
    for (std::size_t i = 1; i < sizes.size(); ++i) fields.*kOtherTexts[i - 1] = next(sizes[i]);
    fields.book = std::string_view(book, bookSize);
    return fields;
  }
  // Where its texts are: `ends` gives where each of name, address,
  // company, phone, notes, key, street, postal and fax ends, counted from
  // `at`, where they lie back to back.
  void PlaceTexts(const char* at, const std::array<std::uint32_t, 9>& ends) {
    text = at;
    sizes[0] = static_cast<std::uint8_t>(ends[0]);
    addressSize = ends[1] - ends[0];
    for (std::size_t i = 1; i < sizes.size(); ++i) {
      sizes[i] = static_cast<std::uint8_t>(ends[i + 1] - ends[i]);
    }
  }

  // The texts, back to back from `text`: name, address, company, phone,
  // notes, key, street, postal, fax. Every text but the address is a
  // record's field, converted: at most three bytes for each byte of the
  // field's width, all below 256 (a made contact's address may be as long
  // as the list's line).
  const char* text = nullptr;
  const char* book = nullptr;  // the address book's file name, bookSize bytes
  // Its lists, in order: ExportFolder::ListsOf.
  std::uint32_t firstList = 0;
  std::uint32_t listCount = 0;
  std::uint32_t addressSize = 0;
  std::array<std::uint8_t, 8> sizes{};  // name, then company to fax
  std::uint16_t bookSize = 0;
  bool made = false;  // made for a plain address no record holds

  // The texts after the address, in the order of `text`.
  static constexpr std::string_view engine::BookRecordText::*kOtherTexts[] = {
      &engine::BookRecordText::company, &engine::BookRecordText::phone,
      &engine::BookRecordText::notes,   &engine::BookRecordText::key,
      &engine::BookRecordText::street,  &engine::BookRecordText::postal,
      &engine::BookRecordText::fax};
};

// A UUID in its text form, as ExportFolder::Uid gives it.
struct UuidText {
  std::array<char, 36> chars{};
  bool empty = true;
  operator std::string_view() const {
    return empty ? std::string_view() : std::string_view(chars.data(), chars.size());
  }
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

  // Contact c's UID (a UUID's text form, without "urn:uuid:"); empty where
  // the target takes no UIDs (ExportRules::uids).
  UuidText Uid(std::size_t c) const;
  // Each contact's UID as its 16 bytes, in the order of contacts; empty
  // where the target takes none.
  std::vector<Uuid> uids;
};

// How a target program takes lists.
struct ExportRules {
  bool makeContacts = true;  // false where a list may hold a bare address
  bool uids = false;         // whether contacts need UIDs
  // What a title may be there (a title changed for it counts as renamed).
  const TitleRules* titles = &kAnyTitle;
};

}  // namespace exchange
