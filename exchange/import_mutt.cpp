// import --from mutt: an alias file as mutt reads it (muttrc lines; only
// `alias` lines are read, every other command is left alone):
//
//   alias [-group NAME]... KEY ADDRESS[, ADDRESS]...
//
// where an address is "Name <addr>", "addr (Name)", a bare addr, or the key
// of another alias (a word without "@" and without a name, as mutt expands
// it). "#" starts a comment outside quotes, a backslash takes the next
// character as it is, and a line ending in a backslash goes on on the next.
// An alias of one address is a contact (its key the record's key); an
// alias of several, or of other aliases, is a group, as is each -group
// NAME. A key defined again replaces the earlier alias, as in mutt. A word
// that is no alias's key stays an address (mutt sends to it as a local
// user). `export --to mutt` writes "# TITLE (FILE.PML)" above each list's
// alias: the group gets that title back.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/ascii.h"
#include "exchange/import_readers.h"
#include "exchange/import_text.h"

namespace exchange {

namespace {

using importtext::Fault;
using importtext::Trim;

struct Item {
  std::string name;
  std::string address;  // or the key of another alias
  bool bare = false;    // no name and no "@": may be another alias's key
};

struct Alias {
  std::string key;
  std::vector<Item> items;
  std::vector<std::string> groups;  // its -group names
  std::string title;                // from the export's comment above it
  std::size_t line = 0;
};

// The words of a muttrc line, mutt's way: blanks part them, quotes ("" and
// '') hold blanks, a backslash takes the next character, "#" outside quotes
// ends the line. `rest` gets what follows the first `count` words, its
// escapes undone but its quotes kept (the address list's own quoting).
struct Words {
  std::vector<std::string> words;
  std::string rest;
  bool unterminated = false;
};

Words SplitMuttrc(std::string_view line, std::size_t count) {
  Words out;
  std::size_t i = 0;
  const std::size_t n = line.size();
  while (out.words.size() < count) {
    while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= n || line[i] == '#') return out;
    std::string word;
    char quote = 0;
    for (; i < n; ++i) {
      const char c = line[i];
      if (c == '\\' && i + 1 < n) {
        word += line[++i];
      } else if (quote) {
        if (c == quote) {
          quote = 0;
        } else {
          word += c;
        }
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == ' ' || c == '\t' || c == '#') {
        break;
      } else {
        word += c;
      }
    }
    if (quote) out.unterminated = true;
    out.words.push_back(std::move(word));
  }
  char quote = 0;
  for (; i < n; ++i) {
    const char c = line[i];
    if (c == '\\' && i + 1 < n) {
      out.rest += line[++i];
      continue;
    }
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '#') {
      break;
    }
    out.rest += c;
  }
  if (quote) out.unterminated = true;
  return out;
}

// An RFC 5322 address list as mutt reads an alias's: items parted by
// commas outside quotes, <> and comments. Empty when it is not one.
std::optional<std::vector<Item>> AddressList(std::string_view text) {
  std::vector<Item> items;
  std::string phrase;
  std::string angle;
  std::string comment;
  bool hasAngle = false;
  const auto finish = [&]() {
    Item item;
    std::string_view plain = Trim(phrase);
    if (hasAngle) {
      item.address = std::string(Trim(angle));
      item.name = std::string(plain);
    } else {
      item.address = std::string(plain);
      item.name = std::string(Trim(comment));
    }
    // Blanks inside the phrase of a name run together as one.
    std::string name;
    for (const char c : item.name) {
      if ((c == ' ' || c == '\t') && (name.empty() || name.back() == ' ')) continue;
      name += c == '\t' ? ' ' : c;
    }
    while (!name.empty() && name.back() == ' ') name.pop_back();
    item.name = std::move(name);
    item.bare = item.name.empty() && item.address.find('@') == std::string::npos;
    // A name alone ("(Jo)", "Jo <>") is no address: mutt sends to none.
    if (!item.address.empty()) items.push_back(std::move(item));
    phrase.clear();
    angle.clear();
    comment.clear();
    hasAngle = false;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      for (++i; i < text.size() && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        phrase += text[i];
      }
      if (i >= text.size()) return std::nullopt;
    } else if (c == '(') {
      std::size_t depth = 1;
      std::string inner;
      for (++i; i < text.size() && depth > 0; ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
          inner += text[++i];
          continue;
        }
        if (text[i] == '(') ++depth;
        if (text[i] == ')' && --depth == 0) break;
        inner += text[i];
      }
      if (depth > 0) return std::nullopt;
      if (!comment.empty()) comment += ' ';
      comment += inner;
    } else if (c == '<') {
      const std::size_t close = text.find('>', i);
      if (close == std::string_view::npos) return std::nullopt;
      angle = std::string(text.substr(i + 1, close - i - 1));
      hasAngle = true;
      i = close;
    } else if (c == ',') {
      finish();
    } else {
      phrase += c;
    }
  }
  finish();
  return items;
}

// "TITLE (FILE.PML)", as `export --to mutt` comments a list's alias.
std::string ExportTitle(std::string_view comment) {
  comment = Trim(comment);
  if (comment.size() < 8 || comment.back() != ')') return {};
  const std::size_t open = comment.rfind(" (");
  if (open == std::string_view::npos) return {};
  const std::string file = base::AsciiUpper(comment.substr(open + 2, comment.size() - open - 3));
  if (file.size() < 5 || file.substr(file.size() - 4) != ".PML") return {};
  return std::string(Trim(comment.substr(0, open)));
}

}  // namespace

ImportRead ReadMuttAliases(std::string_view bytes, unsigned ansiCodePage) {
  std::string text = importtext::FileText(bytes);
  if (auto fault = importtext::NulFault(text)) return Fault(fault->line, fault->what);
  text = importtext::AsUtf8(text, ansiCodePage);

  std::vector<Alias> aliases;
  std::unordered_map<std::string, std::size_t> byKey;  // upper case
  importtext::Lines lines(text);
  std::string_view physical;
  std::string comment;  // the comment line just above, if any
  while (lines.Next(physical)) {
    const std::size_t start = lines.number();
    std::string line(physical);
    // A backslash at the end joins the next line (and the backslash goes).
    while (!line.empty() && line.back() == '\\' && lines.Next(physical)) {
      line.pop_back();
      line += physical;
    }
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty()) {
      comment.clear();
      continue;
    }
    if (trimmed.front() == '#') {
      comment = std::string(trimmed.substr(1));
      continue;
    }
    const std::string previous = std::move(comment);
    comment.clear();
    Words command = SplitMuttrc(trimmed, 1);
    if (command.words.empty() || command.words[0] != "alias") continue;  // another command
    Alias alias;
    alias.line = start;
    std::string_view rest = trimmed.substr(5);
    // -group NAME ... before the key.
    while (true) {
      Words words = SplitMuttrc(rest, 1);
      if (words.words.empty()) return Fault(start, "an alias without its key");
      if (words.words[0] != "-group") break;
      Words named = SplitMuttrc(rest, 2);
      if (named.words.size() < 2) return Fault(start, "-group without the group's name");
      alias.groups.push_back(named.words[1]);
      // What follows the name, still escaped: cut at the name's end.
      const std::size_t at = rest.find("-group");
      std::size_t i = at + 6;
      while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
      char quote = 0;
      for (; i < rest.size(); ++i) {
        const char c = rest[i];
        if (c == '\\') {
          ++i;
        } else if (quote) {
          if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
          quote = c;
        } else if (c == ' ' || c == '\t') {
          break;
        }
      }
      rest = rest.substr(std::min(i, rest.size()));
    }
    Words words = SplitMuttrc(rest, 1);
    if (words.unterminated) return Fault(start, "a quote that is not closed");
    alias.key = words.words[0];
    const std::optional<std::vector<Item>> items = AddressList(words.rest);
    if (!items) return Fault(start, "alias " + alias.key + ": an address that is not closed");
    if (items->empty()) return Fault(start, "alias " + alias.key + " gives no address");
    alias.items = *items;
    alias.title = ExportTitle(previous);
    const auto [it, fresh] = byKey.emplace(base::AsciiUpper(alias.key), aliases.size());
    if (fresh) {
      aliases.push_back(std::move(alias));
    } else {
      aliases[it->second] = std::move(alias);  // defined again: the later one
    }
  }

  // Which aliases are contacts and which are groups; then the members.
  ImportRead read;
  ImportedFile& file = read.file;
  using Target = std::pair<ImportedMember::Kind, std::size_t>;
  std::vector<Target> targets;
  const auto refersToAlias = [&](const Item& item) {
    return item.bare && byKey.count(base::AsciiUpper(item.address)) > 0;
  };
  for (const Alias& alias : aliases) {
    if (alias.items.size() == 1 && !refersToAlias(alias.items[0])) {
      engine::BookRecord fields;
      fields.name = alias.items[0].name;
      fields.address = alias.items[0].address;
      fields.key = alias.key;
      targets.emplace_back(ImportedMember::Kind::kContact, file.contacts.size());
      file.contacts.push_back({std::move(fields), alias.line});
    } else {
      ImportedGroup group;
      group.name = alias.title.empty() ? alias.key : alias.title;
      group.line = alias.line;
      targets.emplace_back(ImportedMember::Kind::kGroup, file.groups.size());
      file.groups.push_back(std::move(group));
    }
  }
  std::unordered_map<std::string, std::size_t> namedGroups;  // -group NAME, upper case
  for (std::size_t a = 0; a < aliases.size(); ++a) {
    const Alias& alias = aliases[a];
    const auto [kind, index] = targets[a];
    if (kind == ImportedMember::Kind::kGroup) {
      for (const Item& item : alias.items) {
        ImportedMember member;
        if (refersToAlias(item)) {
          const Target target = targets[byKey.at(base::AsciiUpper(item.address))];
          if (target.first == ImportedMember::Kind::kGroup && target.second == index) continue;
          member.kind = target.first;
          member.index = target.second;
        } else {
          member.address = item.address;
          member.name = item.name;
        }
        file.groups[index].members.push_back(std::move(member));
      }
    }
    for (const std::string& name : alias.groups) {
      const auto [it, fresh] = namedGroups.emplace(base::AsciiUpper(name), file.groups.size());
      if (fresh) {
        ImportedGroup group;
        group.name = name;
        group.line = alias.line;
        file.groups.push_back(std::move(group));
      }
      ImportedMember member;
      member.kind = kind;
      member.index = index;
      if (kind == ImportedMember::Kind::kGroup && index == it->second) continue;
      file.groups[it->second].members.push_back(member);
    }
  }
  return read;
}

}  // namespace exchange
