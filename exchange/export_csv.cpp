// export --to google and --to outlook: CSV with each program's own column
// names, a contact's lists as its labels or categories.
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

#include "exchange/contact_formats.h"
#include "exchange/export_targets.h"
#include "platform/codepage.h"

namespace exchange {

namespace {

// The titles of a contact's lists, separated by `separator`, into `titles`.
void Titles(const ExportFolder& folder, const ExportContact& contact, std::string_view separator,
            std::string& titles) {
  titles.clear();
  for (const std::size_t list : folder.ListsOf(contact)) {
    if (!titles.empty()) titles += separator;
    titles += folder.lists[list].title;
  }
}

}  // namespace

void WriteGoogle(const ExportFolder& folder, ExportContext& context) {
  std::string& out = context.sink.out();
  AppendCsvRow({"Name", "Given Name", "Family Name", "Nickname", "Organization 1 - Name", "Notes",
                "Labels", "E-mail 1 - Type", "E-mail 1 - Value", "Phone 1 - Type",
                "Phone 1 - Value", "Phone 2 - Type", "Phone 2 - Value", "Address 1 - Type",
                "Address 1 - Formatted", "Address 2 - Type", "Address 2 - Formatted"},
               out);
  std::string labels;
  for (const ExportContact& contact : folder.contacts) {
    const ContactText c = contact.Fields();
    const NameParts parts = SplitName(c.name);
    Titles(folder, contact, " ::: ", labels);
    labels += labels.empty() ? "* myContacts" : " ::: * myContacts";
    AppendCsvRow({c.name, parts.given, parts.family, c.key, c.company, c.notes, labels,
                  c.address.empty() ? "" : "* Other", c.address, c.phone.empty() ? "" : "Work",
                  c.phone, c.fax.empty() ? "" : "Work Fax", c.fax, c.street.empty() ? "" : "Work",
                  c.street, c.postal.empty() ? "" : "Other", c.postal},
                 out);
    context.sink.Drain();
  }
}

void WriteOutlook(const ExportFolder& folder, ExportContext& context) {
  // Outlook reads the system's ANSI code page: the books' own where it is a
  // Windows one, Western Windows for books written in DOS code pages.
  const platform::CodePageEncoder ansi(context.codePage == 1250 ? 1250 : 1252);
  const auto encode = [&](std::string_view text) { return ansi.Encode(text, context.unwritable); };
  std::string& out = context.sink.out();
  AppendCsvRow(
      {"First Name", "Last Name", "Company", "Business Street", "Other Street", "Business Phone",
       "Business Fax", "E-mail Address", "E-mail Display Name", "Notes", "Categories"},
      out);
  std::string categories;
  for (const ExportContact& contact : folder.contacts) {
    const ContactText c = contact.Fields();
    const NameParts parts = SplitName(c.name);
    Titles(folder, contact, ";", categories);
    AppendCsvRow({encode(parts.given), encode(parts.family), encode(c.company), encode(c.street),
                  encode(c.postal), encode(c.phone), encode(c.fax), encode(c.address),
                  encode(c.name.empty() ? c.address : c.name), encode(c.notes), encode(categories)},
                 out);
    context.sink.Drain();
  }
}

}  // namespace exchange
