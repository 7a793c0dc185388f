// export --to google and --to outlook: CSV with each program's own column
// names, a contact's lists as its labels or categories.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "exchange/contact_formats.h"
#include "exchange/export_pieces.h"
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
  AppendCsvRow({"Name", "Given Name", "Family Name", "Nickname", "Organization 1 - Name", "Notes",
                "Labels", "E-mail 1 - Type", "E-mail 1 - Value", "Phone 1 - Type",
                "Phone 1 - Value", "Phone 2 - Type", "Phone 2 - Value", "Address 1 - Type",
                "Address 1 - Formatted", "Address 2 - Type", "Address 2 - Formatted"},
               context.sink.out());
  std::array<std::string, 2> labelsOf;  // a lane's labels, their room kept
  WriteContacts(folder, context, [&](std::size_t i, std::string& out, std::size_t lane) {
    const ExportContact& contact = folder.contacts[i];
    std::string& labels = labelsOf[lane];
    const ContactText c = contact.Fields();
    const NameParts parts = SplitName(c.name);
    Titles(folder, contact, " ::: ", labels);
    labels += labels.empty() ? "* myContacts" : " ::: * myContacts";
    AppendCsvRow({c.name, parts.given, parts.family, c.key, c.company, c.notes, labels,
                  c.address.empty() ? "" : "* Other", c.address, c.phone.empty() ? "" : "Work",
                  c.phone, c.fax.empty() ? "" : "Work Fax", c.fax, c.street.empty() ? "" : "Work",
                  c.street, c.postal.empty() ? "" : "Other", c.postal},
                 out);
  });
}

void WriteOutlook(const ExportFolder& folder, ExportContext& context) {
  // Outlook reads the system's ANSI code page: the books' own where it is a
  // Windows one, Western Windows for books written in DOS code pages.
  const platform::CodePageEncoder ansi(context.codePage == 1250 ? 1250 : 1252);
  std::array<std::size_t, 2> unwritable{};  // each lane's count
  AppendCsvRow(
      {"First Name", "Last Name", "Company", "Business Street", "Other Street", "Business Phone",
       "Business Fax", "E-mail Address", "E-mail Display Name", "Notes", "Categories"},
      context.sink.out());
  std::array<std::string, 2> categoriesOf;  // a lane's categories, their room kept
  WriteContacts(folder, context, [&](std::size_t i, std::string& out, std::size_t lane) {
    const ExportContact& contact = folder.contacts[i];
    const auto encode = [&](std::string_view text) { return ansi.Encode(text, unwritable[lane]); };
    std::string& categories = categoriesOf[lane];
    const ContactText c = contact.Fields();
    const NameParts parts = SplitName(c.name);
    Titles(folder, contact, ";", categories);
    AppendCsvRow({encode(parts.given), encode(parts.family), encode(c.company), encode(c.street),
                  encode(c.postal), encode(c.phone), encode(c.fax), encode(c.address),
                  encode(c.name.empty() ? c.address : c.name), encode(c.notes), encode(categories)},
                 out);
  });
  context.unwritable += unwritable[0] + unwritable[1];
}

}  // namespace exchange
