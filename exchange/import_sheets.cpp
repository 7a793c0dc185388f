// import --from google, --from outlook and --from csv: sheets of comma
// separated values (RFC 4180: fields quoted with "", quotes doubled, line
// breaks inside quotes kept), their columns found by the header's names
// (letter case and blanks around them ignored). The delimiter is the one of
// , ; and TAB that the header row holds most of (Excel writes ; where the
// decimal point is a comma). The text is UTF-8 when it is valid UTF-8 (a
// byte order mark or not), else the Windows ANSI code page, as Excel and
// Outlook write it.
//
//   google   Google Contacts: "Name" (or the name's parts: "Given Name",
//            "Family Name", or "First Name", "Last Name" in the newer
//            header), "E-mail 1 - Value" (the one whose type starts with
//            "* " is the primary), "Phone N", "Address N", "Organization 1
//            - Name", "Notes", "Nickname"; the groups are the labels of
//            "Labels" or "Group Membership", separated by " ::: ", Google's
//            own "* myContacts" and "* starred" left out.
//   outlook  Outlook: "First Name", "Last Name", "E-mail Address" (or the
//            2nd, 3rd where the first is an Exchange one), "E-mail Display
//            Name" (the name, when it is more than the address),
//            "Company", "Business Street", "Other Street", "Business
//            Phone", "Business Fax", "Notes"; the groups are the
//            "Categories", separated by ";".
//   csv      A plain sheet: a name column (Name, Full Name, Display Name),
//            an e-mail column (E-mail, Email, E-mail Address, Mail) and an
//            optional list column (List, Group, Groups, Category, Label
//            ...) whose cell may name several lists separated by ";" or
//            " ::: "; company, phone, fax, notes, key, street and postal
//            columns where there are (`books --format csv` reads back).
//            Rows that are the same contact (one row per list) are one.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/ascii.h"
#include "exchange/address_syntax.h"
#include "exchange/import_readers.h"
#include "exchange/import_text.h"

namespace exchange {

namespace {

using importtext::Fault;
using importtext::SameWord;
using importtext::Trim;

struct Row {
  std::vector<std::string> fields;
  std::size_t line = 0;
};

struct Sheet {
  std::vector<Row> rows;  // the header first
  std::optional<InputFault> fault;
};

char SniffDelimiter(std::string_view text) {
  std::size_t counts[3] = {0, 0, 0};
  bool quoted = false;
  for (const char c : text) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\r' || c == '\n') break;
    if (c == ',') ++counts[0];
    if (c == ';') ++counts[1];
    if (c == '\t') ++counts[2];
  }
  if (counts[1] > counts[0] && counts[1] >= counts[2]) return ';';
  if (counts[2] > counts[0] && counts[2] > counts[1]) return '\t';
  return ',';
}

Sheet ParseSheet(std::string_view text) {
  Sheet sheet;
  const char delimiter = SniffDelimiter(text);
  std::size_t line = 1;
  std::size_t i = 0;
  const std::size_t n = text.size();
  // Steps over a line end at `i` (CR LF, LF or CR), counting it.
  const auto lineEnd = [&]() {
    if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ++i;
    ++i;
    ++line;
  };
  while (i < n) {
    Row row;
    row.line = line;
    while (true) {
      std::string field;
      if (i < n && text[i] == '"') {
        const std::size_t opened = line;
        ++i;
        while (true) {
          if (i >= n) {
            sheet.fault = InputFault{opened, "unterminated quoted field"};
            return sheet;
          }
          const char c = text[i];
          if (c == '"') {
            if (i + 1 < n && text[i + 1] == '"') {
              field += '"';
              i += 2;
              continue;
            }
            ++i;
            break;
          }
          if (c == '\r' || c == '\n') {
            const std::size_t from = i;
            lineEnd();
            field += text.substr(from, i - from);
            continue;
          }
          field += c;
          ++i;
        }
      }
      // Unquoted text, or what follows a closing quote (kept, as Excel does).
      while (i < n && text[i] != delimiter && text[i] != '\r' && text[i] != '\n')
        field += text[i++];
      row.fields.push_back(std::move(field));
      if (i < n && text[i] == delimiter) {
        ++i;
        continue;
      }
      if (i < n) lineEnd();
      break;
    }
    const bool blank = row.fields.size() == 1 && Trim(row.fields[0]).empty();
    if (!blank) sheet.rows.push_back(std::move(row));
  }
  return sheet;
}

// The header's columns by name.
class Columns {
 public:
  explicit Columns(const Row& header) {
    for (std::size_t i = 0; i < header.fields.size(); ++i) {
      std::string key = base::AsciiUpper(Trim(header.fields[i]));
      byName_.emplace(std::move(key), i);
    }
  }
  // The first of `names` the header has.
  std::optional<std::size_t> Find(std::initializer_list<std::string_view> names) const {
    for (const std::string_view name : names) {
      const auto it = byName_.find(base::AsciiUpper(name));
      if (it != byName_.end()) return it->second;
    }
    return std::nullopt;
  }

 private:
  std::unordered_map<std::string, std::size_t> byName_;
};

std::string_view Cell(const Row& row, std::optional<std::size_t> column) {
  if (!column || *column >= row.fields.size()) return {};
  return row.fields[*column];
}

// The cells that are not empty: one as it is, several trimmed and joined.
std::string Composed(std::initializer_list<std::string_view> parts, std::string_view separator) {
  std::size_t filled = 0;
  std::string_view only;
  for (const std::string_view part : parts) {
    if (!Trim(part).empty()) {
      ++filled;
      only = part;
    }
  }
  if (filled == 1) return std::string(only);
  return importtext::JoinParts(parts, separator);
}

std::vector<std::string> SplitLabels(std::string_view cell, std::string_view separator) {
  std::vector<std::string> labels;
  while (true) {
    const std::size_t at = cell.find(separator);
    const std::string_view label = Trim(cell.substr(0, at));
    if (!label.empty()) labels.emplace_back(label);
    if (at == std::string_view::npos) break;
    cell.remove_prefix(at + separator.size());
  }
  return labels;
}

// Reads the sheet, then hands each row after the header to `row`, which
// fills a contact and names its groups.
struct SheetReader {
  std::function<std::optional<InputFault>(const Columns&)> checkHeader;
  std::function<void(const Row&, engine::BookRecord&, std::vector<std::string>&)> row;
  bool mergeSameRows = false;
};

ImportRead ReadSheet(std::string_view bytes, unsigned ansi, const SheetReader& reader) {
  std::string text = importtext::FileText(bytes);
  if (auto fault = importtext::NulFault(text)) return Fault(fault->line, fault->what);
  text = importtext::AsUtf8(text, ansi);
  Sheet sheet = ParseSheet(text);
  if (sheet.fault) return Fault(sheet.fault->line, sheet.fault->what);
  if (sheet.rows.empty()) return Fault(1, "no header row: the file is empty");
  const Columns columns(sheet.rows.front());
  if (auto fault = reader.checkHeader(columns)) return Fault(fault->line, fault->what);

  ImportRead read;
  ImportedFile& file = read.file;
  std::unordered_map<std::string, std::size_t> groupByName;
  std::unordered_map<std::string, std::size_t> contactByFields;
  std::vector<std::unordered_set<std::size_t>> inGroup;  // each group's contacts
  for (std::size_t r = 1; r < sheet.rows.size(); ++r) {
    const Row& row = sheet.rows[r];
    engine::BookRecord fields;
    std::vector<std::string> groups;
    reader.row(row, fields, groups);
    const bool empty = fields.name.empty() && fields.address.empty() && fields.company.empty() &&
                       fields.phone.empty() && fields.notes.empty() && fields.key.empty() &&
                       fields.street.empty() && fields.postal.empty() && fields.fax.empty();
    if (empty) continue;  // a row of empty cells
    std::size_t contact = file.contacts.size();
    bool added = true;
    if (reader.mergeSameRows) {
      std::string key;
      for (const std::string* f :
           {&fields.name, &fields.address, &fields.company, &fields.phone, &fields.notes,
            &fields.key, &fields.street, &fields.postal, &fields.fax}) {
        key += *f;
        key += '\0';
      }
      const auto [it, fresh] = contactByFields.emplace(std::move(key), contact);
      contact = it->second;
      added = fresh;
    }
    if (added) file.contacts.push_back({std::move(fields), row.line});
    for (const std::string& name : groups) {
      const auto [it, fresh] = groupByName.emplace(base::AsciiUpper(name), file.groups.size());
      if (fresh) {
        ImportedGroup group;
        group.name = name;
        group.line = row.line;
        file.groups.push_back(std::move(group));
        inGroup.emplace_back();
      }
      if (!inGroup[it->second].insert(contact).second) continue;  // named twice
      ImportedMember member;
      member.kind = ImportedMember::Kind::kContact;
      member.index = contact;
      file.groups[it->second].members.push_back(member);
    }
  }
  return read;
}

// ------------------------------------------------------------- Google

// Google Contacts numbers its repeated columns: "E-mail 1 - Value",
// "E-mail 2 - Value" ...; the type column is "- Type" in the older header
// and "- Label" in the newer one.
struct Numbered {
  std::optional<std::size_t> type;
  std::optional<std::size_t> value;
};

std::vector<Numbered> NumberedColumns(const Columns& columns, std::string_view what,
                                      std::string_view value) {
  std::vector<Numbered> found;
  for (int n = 1; n <= 50; ++n) {
    const std::string base = std::string(what) + " " + std::to_string(n) + " - ";
    Numbered numbered{columns.Find({base + "Type", base + "Label"}),
                      columns.Find({base + std::string(value)})};
    if (!numbered.value) break;
    found.push_back(numbered);
  }
  return found;
}

std::string FirstOfCell(std::string_view cell) {
  return std::string(Trim(cell.substr(0, cell.find(" ::: "))));
}

// A Google group that every contact or a starred one is in, not a label.
bool IsGoogleSystemLabel(std::string_view label) {
  for (const std::string_view system :
       {"* myContacts", "* My Contacts", "* starred", "* Starred in Android"}) {
    if (SameWord(label, system)) return true;
  }
  return false;
}

}  // namespace

ImportRead ReadGoogleCsv(std::string_view bytes, unsigned ansiCodePage) {
  struct Layout {
    std::optional<std::size_t> name, prefix, given, additional, family, suffix, nickname, company,
        notes, labels;
    std::vector<Numbered> emails, phones, addresses;
    std::vector<std::optional<std::size_t>> streets;
  } layout;
  SheetReader reader;
  reader.checkHeader = [&](const Columns& c) -> std::optional<InputFault> {
    layout.name = c.Find({"Name"});
    layout.prefix = c.Find({"Name Prefix"});
    layout.given = c.Find({"Given Name", "First Name"});
    layout.additional = c.Find({"Additional Name", "Middle Name"});
    layout.family = c.Find({"Family Name", "Last Name"});
    layout.suffix = c.Find({"Name Suffix"});
    layout.nickname = c.Find({"Nickname"});
    layout.company = c.Find({"Organization 1 - Name", "Organization Name"});
    layout.notes = c.Find({"Notes"});
    layout.labels = c.Find({"Labels", "Group Membership"});
    layout.emails = NumberedColumns(c, "E-mail", "Value");
    layout.phones = NumberedColumns(c, "Phone", "Value");
    layout.addresses = NumberedColumns(c, "Address", "Formatted");
    for (std::size_t n = 1; n <= layout.addresses.size(); ++n) {
      layout.streets.push_back(c.Find({"Address " + std::to_string(n) + " - Street"}));
    }
    if (!layout.name && !layout.given && !layout.family && layout.emails.empty()) {
      return InputFault{1,
                        "not a Google Contacts header (no Name, First Name or E-mail 1 - Value "
                        "column)"};
    }
    return std::nullopt;
  };
  reader.row = [&](const Row& row, engine::BookRecord& f, std::vector<std::string>& groups) {
    f.name = std::string(Cell(row, layout.name));
    if (Trim(f.name).empty()) {
      f.name = importtext::JoinParts(
          {Cell(row, layout.prefix), Cell(row, layout.given), Cell(row, layout.additional),
           Cell(row, layout.family), Cell(row, layout.suffix)},
          " ");
    }
    f.key = std::string(Cell(row, layout.nickname));
    f.company = std::string(Cell(row, layout.company));
    f.notes = std::string(Cell(row, layout.notes));
    // The e-mail address Google marks primary ("* ..."), else the first.
    for (const bool primaryOnly : {true, false}) {
      for (const Numbered& e : layout.emails) {
        const std::string address = FirstOfCell(Cell(row, e.value));
        if (address.empty()) continue;
        if (primaryOnly && Cell(row, e.type).substr(0, 2) != "* ") continue;
        f.address = address;
        break;
      }
      if (!f.address.empty()) break;
    }
    for (const Numbered& p : layout.phones) {
      const std::string number = FirstOfCell(Cell(row, p.value));
      if (number.empty()) continue;
      const std::string type = base::AsciiUpper(Cell(row, p.type));
      std::string& field = type.find("FAX") != std::string::npos ? f.fax : f.phone;
      if (field.empty()) field = number;
    }
    for (std::size_t a = 0; a < layout.addresses.size(); ++a) {
      std::string text(Cell(row, layout.addresses[a].value));
      if (Trim(text).empty()) text = std::string(Cell(row, layout.streets[a]));
      if (Trim(text).empty()) continue;
      const bool work =
          base::AsciiUpper(Cell(row, layout.addresses[a].type)).find("WORK") != std::string::npos;
      std::string* preferred = work ? &f.street : &f.postal;
      std::string* other = work ? &f.postal : &f.street;
      if (preferred->empty()) {
        *preferred = std::move(text);
      } else if (other->empty()) {
        *other = std::move(text);
      }
    }
    for (std::string& label : SplitLabels(Cell(row, layout.labels), " ::: ")) {
      if (IsGoogleSystemLabel(label)) continue;
      if (label.size() > 2 && label.substr(0, 2) == "* ") label.erase(0, 2);
      groups.push_back(std::move(label));
    }
  };
  return ReadSheet(bytes, ansiCodePage, reader);
}

// ------------------------------------------------------------- Outlook

ImportRead ReadOutlookCsv(std::string_view bytes, unsigned ansiCodePage) {
  struct Layout {
    std::optional<std::size_t> title, first, middle, last, suffix, display, nickname, company,
        notes, categories;
    std::vector<std::optional<std::size_t>> emails, emailTypes, phones, faxes;
    std::vector<std::optional<std::size_t>> business, other, home;
  } layout;
  SheetReader reader;
  reader.checkHeader = [&](const Columns& c) -> std::optional<InputFault> {
    layout.title = c.Find({"Title"});
    layout.first = c.Find({"First Name"});
    layout.middle = c.Find({"Middle Name"});
    layout.last = c.Find({"Last Name"});
    layout.suffix = c.Find({"Suffix"});
    layout.display = c.Find({"E-mail Display Name"});
    layout.nickname = c.Find({"Nickname"});
    layout.company = c.Find({"Company"});
    layout.notes = c.Find({"Notes"});
    layout.categories = c.Find({"Categories"});
    layout.emails = {c.Find({"E-mail Address"}), c.Find({"E-mail 2 Address"}),
                     c.Find({"E-mail 3 Address"})};
    layout.emailTypes = {c.Find({"E-mail Type"}), c.Find({"E-mail 2 Type"}),
                         c.Find({"E-mail 3 Type"})};
    for (const char* name : {"Business Phone", "Primary Phone", "Company Main Phone",
                             "Mobile Phone", "Home Phone", "Other Phone"}) {
      layout.phones.push_back(c.Find({name}));
    }
    for (const char* name : {"Business Fax", "Home Fax", "Other Fax"}) {
      layout.faxes.push_back(c.Find({name}));
    }
    for (const auto& [place, into] :
         {std::pair<std::string_view, std::vector<std::optional<std::size_t>>*>{"Business",
                                                                                &layout.business},
          {"Other", &layout.other},
          {"Home", &layout.home}}) {
      const std::string p(place);
      for (const std::string& part :
           {p + " Street", p + " Street 2", p + " Street 3", p + " City", p + " State",
            p + " Postal Code", p + " Country/Region", p + " Country"}) {
        into->push_back(c.Find({part}));
      }
    }
    if (!layout.emails[0] && !layout.first && !layout.last) {
      return InputFault{1,
                        "not an Outlook header (no E-mail Address, First Name or Last Name "
                        "column)"};
    }
    return std::nullopt;
  };
  const auto place = [](const Row& row, const std::vector<std::optional<std::size_t>>& parts) {
    return Composed(
        {Cell(row, parts[0]), Cell(row, parts[1]), Cell(row, parts[2]), Cell(row, parts[3]),
         Cell(row, parts[4]), Cell(row, parts[5]), Cell(row, parts[6]), Cell(row, parts[7])},
        ", ");
  };
  reader.row = [&](const Row& row, engine::BookRecord& f, std::vector<std::string>& groups) {
    // An Exchange address ("EX", /o=...) is no e-mail address: the next.
    for (std::size_t e = 0; e < layout.emails.size(); ++e) {
      const std::string_view address = Trim(Cell(row, layout.emails[e]));
      if (address.empty() || SameWord(Trim(Cell(row, layout.emailTypes[e])), "EX") ||
          address.front() == '/') {
        continue;
      }
      f.address = std::string(address);
      break;
    }
    // Outlook shows "Jo Smith (jo@example.org)": the name is before it.
    std::string display(Trim(Cell(row, layout.display)));
    if (!f.address.empty()) {
      const std::string suffix = " (" + f.address + ")";
      if (display.size() > suffix.size() &&
          SameWord(std::string_view(display).substr(display.size() - suffix.size()), suffix)) {
        display.resize(display.size() - suffix.size());
      }
    }
    if (!display.empty() && !SameWord(display, f.address)) {
      f.name = std::move(display);
    } else {
      f.name = importtext::JoinParts(
          {Cell(row, layout.title), Cell(row, layout.first), Cell(row, layout.middle),
           Cell(row, layout.last), Cell(row, layout.suffix)},
          " ");
    }
    f.key = std::string(Cell(row, layout.nickname));
    f.company = std::string(Cell(row, layout.company));
    f.notes = std::string(Cell(row, layout.notes));
    for (const auto column : layout.phones) {
      if (f.phone.empty()) f.phone = std::string(Cell(row, column));
    }
    for (const auto column : layout.faxes) {
      if (f.fax.empty()) f.fax = std::string(Cell(row, column));
    }
    f.street = place(row, layout.business);
    f.postal = place(row, layout.other);
    if (f.postal.empty()) f.postal = place(row, layout.home);
    groups = SplitLabels(Cell(row, layout.categories), ";");
  };
  return ReadSheet(bytes, ansiCodePage, reader);
}

// ------------------------------------------------------------- plain

ImportRead ReadPlainCsv(std::string_view bytes, unsigned ansiCodePage) {
  struct Layout {
    std::optional<std::size_t> name, first, last, email, list, company, phone, fax, notes, key,
        street, postal;
  } layout;
  SheetReader reader;
  reader.mergeSameRows = true;
  reader.checkHeader = [&](const Columns& c) -> std::optional<InputFault> {
    layout.name = c.Find({"Name", "Full Name", "Display Name", "Contact", "Contact Name"});
    layout.first = c.Find({"First Name", "Given Name", "First"});
    layout.last = c.Find({"Last Name", "Family Name", "Surname", "Last"});
    layout.email =
        c.Find({"E-mail", "Email", "E-mail Address", "Email Address", "Mail", "E-mail 1 - Value"});
    layout.list = c.Find({"List", "Lists", "Group", "Groups", "Category", "Categories", "Label",
                          "Labels", "Mailing List", "Distribution List"});
    layout.company = c.Find({"Company", "Organization", "Organisation"});
    layout.phone = c.Find({"Phone", "Telephone", "Phone Number"});
    layout.fax = c.Find({"Fax"});
    layout.notes = c.Find({"Notes", "Note", "Comment", "Comments"});
    layout.key = c.Find({"Key", "Nickname", "Alias"});
    layout.street = c.Find({"Street"});
    layout.postal = c.Find({"Postal", "Postal Address"});
    if (!layout.email) {
      return InputFault{1,
                        "no e-mail column in the header (E-mail, Email, E-mail Address or Mail)"};
    }
    return std::nullopt;
  };
  reader.row = [&](const Row& row, engine::BookRecord& f, std::vector<std::string>& groups) {
    f.name = std::string(Cell(row, layout.name));
    if (Trim(f.name).empty()) {
      f.name = importtext::JoinParts({Cell(row, layout.first), Cell(row, layout.last)}, " ");
    }
    f.address = std::string(Trim(Cell(row, layout.email)));
    f.company = std::string(Cell(row, layout.company));
    f.phone = std::string(Cell(row, layout.phone));
    f.fax = std::string(Cell(row, layout.fax));
    f.notes = std::string(Cell(row, layout.notes));
    f.key = std::string(Cell(row, layout.key));
    f.street = std::string(Cell(row, layout.street));
    f.postal = std::string(Cell(row, layout.postal));
    const std::string_view cell = Cell(row, layout.list);
    groups = SplitLabels(cell, cell.find(" ::: ") != std::string_view::npos ? " ::: " : ";");
  };
  return ReadSheet(bytes, ansiCodePage, reader);
}

}  // namespace exchange
