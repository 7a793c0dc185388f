#include "exchange/import_readers.h"

#include <cstddef>

namespace exchange {

namespace {

// Each source's reader, with text that is not UTF-8 in Windows-1252.
template <ImportRead (*Read)(std::string_view, unsigned)>
ImportRead ReadWestern(std::string_view bytes) {
  return Read(bytes, 1252);
}

// Thunderbird's LDIF and a directory's are one reader, as are vCard 3.0
// and 4.0 and Apple's group cards: each reads what the other writes.
constexpr ImportSource kSources[] = {
    {"thunderbird", ReadWestern<ReadLdif>, ReadLdif},
    {"ldap", ReadWestern<ReadLdif>, ReadLdif},
    {"vcard", ReadWestern<ReadVCards>, ReadVCards},
    {"apple", ReadWestern<ReadVCards>, ReadVCards},
    {"google", ReadWestern<ReadGoogleCsv>, ReadGoogleCsv},
    {"outlook", ReadWestern<ReadOutlookCsv>, ReadOutlookCsv},
    {"mutt", ReadWestern<ReadMuttAliases>, ReadMuttAliases},
    {"csv", ReadWestern<ReadPlainCsv>, ReadPlainCsv},
};

}  // namespace

std::span<const ImportSource> ImportSources() {
  return kSources;
}

const ImportSource* FindImportSource(std::string_view name) {
  for (const ImportSource& source : kSources) {
    if (source.name == name) return &source;
  }
  return nullptr;
}

std::string ImportSourceNames() {
  std::string names;
  const std::span<const ImportSource> sources = kSources;
  for (std::size_t i = 0; i < sources.size(); ++i) {
    if (i > 0) names += i + 1 == sources.size() ? " or " : ", ";
    names += sources[i].name;
  }
  return names;
}

}  // namespace exchange
