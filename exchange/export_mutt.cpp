// export --to mutt: an alias file, one alias per contact and one per list
// naming its members' aliases; mutt expands aliases inside aliases.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/address_syntax.h"
#include "exchange/export_pieces.h"
#include "exchange/export_targets.h"
#include "exchange/export_titles.h"
#include "exchange/text_store.h"

namespace exchange {

namespace {

// `text` as one word of a muttrc line: mutt reads a backslash as taking the
// next character as it is, so every character its command parser acts on
// (quotes, backquotes, $, #, ; and the backslash) gets one.
constexpr std::array<bool, 256> kMuttrcSpecials = [] {
  std::array<bool, 256> specials{};
  for (const char c : std::string_view("\\\"'`$#;")) specials[static_cast<unsigned char>(c)] = true;
  return specials;
}();

void AppendMuttrcWord(std::string_view text, std::string& out) {
  // Runs without a special character go in whole.
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!kMuttrcSpecials[static_cast<unsigned char>(text[i])]) continue;
    out.append(text.data() + run, i - run);
    out += '\\';
    run = i;
  }
  out.append(text.data() + run, text.size() - run);
}

// What a contact's alias key is made of: its key, else its name, else its
// address up to the "@".
std::string_view KeySource(const ContactText& c) {
  return !c.key.empty()    ? c.key
         : !c.name.empty() ? c.name
                           : c.address.substr(0, c.address.find('@'));
}

}  // namespace

void WriteMutt(const ExportFolder& folder, ExportContext& context) {
  // The lists' keys are theirs (made in the export's model, by the mutt
  // title rules); a contact whose key a list has gets a numbered one. The
  // keys are given out first, in order.
  // Every key given out, the lists' first, filed by the hash of its
  // letter-case folded form (as UniqueNames compares them), the keys
  // themselves kept only once, where the writer reads them.
  std::vector<std::string_view> given;
  HashedNumbers keyed;
  keyed.Reserve(folder.lists.size() + folder.contacts.size());
  std::string folded;
  std::string otherFolded;
  const auto hashOf = [&](std::string_view key) {
    FoldKeyInto(key, folded);
    return TextHash(folded);
  };
  // Whether the key just hashed is given out already.
  const auto isGiven = [&](std::uint64_t hash) {
    return keyed
        .Find(hash,
              [&](std::uint32_t j) {
                FoldKeyInto(given[j], otherFolded);
                return otherFolded == folded;
              })
        .has_value();
  };
  const auto give = [&](std::string_view key, std::uint64_t hash) {
    keyed.Add(hash, static_cast<std::uint32_t>(given.size()));
    given.push_back(key);
  };
  for (const ExportList& list : folder.lists) {
    if (const std::uint64_t hash = hashOf(list.title); !isGiven(hash)) give(list.title, hash);
  }
  // Each contact's own key and its hash first, two halves at once where
  // the export may split; then the keys are given out in order, the slot
  // of each asked for some contacts ahead, and a key given out already
  // numbered.
  const std::size_t count = folder.contacts.size();
  std::vector<std::string_view> keys(count);
  std::vector<std::uint64_t> hashes(count);
  TextArena kept[2];
  const auto ownKeys = [&](std::size_t from, std::size_t to, TextArena& arena) {
    std::string key;
    std::string keyFolded;
    for (std::size_t i = from; i < to; ++i) {
      const ContactText c = folder.contacts[i].Fields();
      // An alias without an address would only stop mutt sending; no list
      // member is one.
      if (c.address.empty()) continue;
      MuttAliasKeyInto(KeySource(c), key);
      keys[i] = arena.Add(key);
      FoldKeyInto(key, keyFolded);
      hashes[i] = TextHash(keyFolded);
    }
  };
  ForContactHalves(folder, context, [&](std::size_t from, std::size_t to, std::size_t lane) {
    ownKeys(from, to, kept[lane]);
  });
  std::string key;
  constexpr std::size_t kAhead = 16;
  for (std::size_t i = 0; i < count; ++i) {
    if (i + kAhead < count) keyed.Prefetch(hashes[i + kAhead]);
    if (keys[i].empty()) continue;
    std::uint64_t hash = hashes[i];
    if (!keyed.Find(hash, [](std::uint32_t) { return true; })) {
      give(keys[i], hash);  // no key filed under this hash: free
      continue;
    }
    // The alias key of `from`, or key-2, key-3 ... when an earlier alias
    // has it (mutt compares keys without letter case).
    const std::string_view from = KeySource(folder.contacts[i].Fields());
    hash = hashOf(keys[i]);
    for (std::size_t n = 2; isGiven(hash); ++n) {
      key = kMuttTitle.acceptable(kMuttTitle.numbered(from, n));
      hash = hashOf(key);
      keys[i] = kept[0].Add(key);
    }
    give(keys[i], hash);
  }
  std::array<std::string, 2> values;  // a lane's alias value, its room kept
  WriteContacts(folder, context, [&](std::size_t i, std::string& out, std::size_t lane) {
    const ContactText c = folder.contacts[i].Fields();
    if (c.address.empty()) return;
    std::string& value = values[lane];
    value.clear();
    AppendDisplayName(c.name, value);
    if (value.empty()) {
      value = c.address;
    } else {
      value += " <";
      value += c.address;
      value += '>';
    }
    out += "alias ";
    out += keys[i];
    out += ' ';
    AppendMuttrcWord(value, out);
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
