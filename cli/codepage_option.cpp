#include "cli/codepage_option.h"

#include <utility>

#include "base/ascii.h"

namespace cli {

namespace {

std::optional<unsigned> CodePageNumber(std::string_view text) {
  if (text.size() > 2 && base::EqualIgnoringAsciiCase(text.substr(0, 2), "CP")) {
    text.remove_prefix(2);
  }
  unsigned number = 0;
  if (text.empty() || text.size() > 5) return std::nullopt;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    number = number * 10 + static_cast<unsigned>(c - '0');
  }
  if (!platform::IsSupportedCodePage(number)) return std::nullopt;
  return number;
}

Result<std::unique_ptr<platform::CodePageConverter>> OpenConverter(Session& session,
                                                                   unsigned codePage) {
  auto converter = std::make_unique<platform::CodePageConverter>(codePage);
  if (!converter->IsOpen()) {
    return Failure{session.Fail(std::string("cannot convert from code page ") +
                                std::to_string(codePage) + ": " + converter->OpenFailure())};
  }
  return converter;
}

}  // namespace

Result<unsigned> CodePageOption(Session& session, const Request& request) {
  const std::optional<std::string> named = request.Value(kCodePageOption);
  const std::optional<unsigned> codePage = CodePageNumber(named.value_or("1252"));
  if (!codePage) {
    return Failure{session.Fail("unknown code page " + Quoted(Shown(*named)) +
                                " (expected 1252, 850, 437 or 1250)")};
  }
  return *codePage;
}

Result<ConvertingFolder> OpenConvertingFolder(Session& session, const Request& request,
                                              const engine::OpenOptions& parts) {
  const Result<unsigned> codePage = CodePageOption(session, request);
  if (!codePage) return Failure{codePage.status()};
  Result<Folder> folder = Folder::OpenNamed(session, request, parts);
  if (!folder) return Failure{folder.status()};
  Result<std::unique_ptr<platform::CodePageConverter>> converter =
      OpenConverter(session, *codePage);
  if (!converter) return Failure{converter.status()};
  return ConvertingFolder{*codePage, std::move(*folder), std::move(*converter)};
}

void NoteUndefinedBytes(Session& session, std::size_t undefined, unsigned codePage) {
  if (undefined == 0) return;
  session.Note(std::to_string(undefined) + (undefined == 1 ? " byte" : " bytes") +
               " not defined in code page " + std::to_string(codePage) + " written as U+FFFD");
}

}  // namespace cli
