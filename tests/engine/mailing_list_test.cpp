#include "engine/mailing_list.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/address_book.h"
#include "platform/files.h"
#include "tests/engine/book_fixture.h"
#include "tests/support/exclusive_hold.h"

namespace {

using V = std::vector<std::string>;

TEST(ListTitleOf, IsTheFirstLineFromItsEighthByte) {
  EXPECT_EQ(engine::ListTitleOf("\\TITLE Friends of the club  \r\nBob\r\n"),
            "Friends of the club  ");
  EXPECT_EQ(engine::ListTitleOf("\\TITLE \r\n"), "");
  EXPECT_EQ(engine::ListTitleOf("\\TITLE X\r"), "X");
  EXPECT_EQ(engine::ListTitleOf("\\TITLE X\rY"), engine::ListTitleOf("\\TITLE X\r\nY"));
  EXPECT_EQ(engine::ListTitleOf("\\TITLE A\nB\nC"), "A\nB\nC");
  EXPECT_EQ(engine::ListTitleOf("\\TITLE Ab\x1A"
                                "cd\r\n"),
            "Ab");
  EXPECT_EQ(engine::ListTitleOf(std::string("1234567\0b\t", 10)), std::string("\0b\t", 3));
  EXPECT_EQ(engine::ListTitleOf("short"), "");
  EXPECT_EQ(engine::ListTitleOf(""), "");
}

TEST(CreateTables, GivesFourTablesOfTwoEmptyEntries) {
  engine::CreateTables();
  for (const engine::StringTable* table : {&engine::BookNames, &engine::BookAddresses}) {
    EXPECT_EQ(*table, (V{"", ""}));
  }
  for (const V* table : {&engine::ListTitles, &engine::ListFiles}) EXPECT_EQ(*table, (V{"", ""}));
  EXPECT_EQ(engine::FindListByTitle(""), 1u);
}

TEST(LoadListCatalogue, NumbersListsFromOneInListingOrder) {
  engine::CreateTables();
  const fixture::TempFolder folder;
  const std::map<std::string, std::string> titleOf = {
      {"zeta.PML", "Zeta"}, {"alpha.pml", "Alpha"}, {"again.PML", "Zeta"}, {"empty.PML", ""}};
  folder.Write("zeta.PML", "\\TITLE Zeta\r\nBob\r\n");
  folder.Write("alpha.pml", "\\TITLE Alpha\rCarol");
  folder.Write("again.PML", "\\TITLE Zeta\r\n");
  folder.Write("empty.PML", "");
  folder.Write(".hidden.PML", "\\TITLE Hidden\r\n");
  folder.Write("book.PMR", "\\TITLE Book\r\n");
  std::filesystem::current_path(folder.path());
  engine::LoadListCatalogue();

  V titles{""};
  V files{""};
  for (const std::string& name : platform::ListMatchingFiles("*.PML")) {
    files.push_back(name);
    titles.push_back(titleOf.at(name));
  }
  ASSERT_EQ(files.size(), 5u);
  EXPECT_EQ(engine::ListFiles, files);
  EXPECT_EQ(engine::ListTitles, titles);
  // Of the two lists titled Zeta, the one listed first is found.
  const std::size_t zeta = engine::FindListByTitle("Zeta");
  ASSERT_NE(zeta, 0u);
  EXPECT_EQ(titles[zeta], "Zeta");
  for (std::size_t k = 1; k < zeta; ++k) EXPECT_NE(titles[k], "Zeta");
  EXPECT_EQ(files[engine::FindListByTitle("Alpha")], "alpha.pml");
  EXPECT_EQ(files[engine::FindListByTitle("")], "empty.PML");
  EXPECT_EQ(engine::FindListByTitle("zeta"), 0u);
  EXPECT_EQ(engine::FindListByTitle("Hidden"), 0u);

  const fixture::TempFolder none;
  std::filesystem::current_path(none.path());
  engine::LoadListCatalogue();
  EXPECT_EQ(engine::ListTitles, V{""});
  EXPECT_EQ(engine::FindListByTitle(""), 0u);
}

TEST(ReadListTitle, ReadsTheFirstLineAcrossPieces) {
  const fixture::TempFolder folder;
  std::filesystem::current_path(folder.path());
  // A first line longer than any one read, ended by CR, by CR LF, by Ctrl-Z,
  // or by the end of the file; and one with lone LFs only.
  const std::string longTitle(20000, 't');
  folder.Write("cr.PML", "\\TITLE " + longTitle + "\rrest\r\n");
  folder.Write("crlf.PML", "\\TITLE " + longTitle + "\r\nrest");
  folder.Write("ctrlz.PML", "\\TITLE " + longTitle + "\x1A" + "after\r\n");
  folder.Write("end.PML", "\\TITLE " + longTitle);
  folder.Write("lf.PML", "\\TITLE a\nb\n" + std::string(9000, 'c'));
  folder.Write("short.PML", "1234567\r\nEntry");
  folder.Write("empty.PML", "");
  for (const char* name : {"cr.PML", "crlf.PML", "ctrlz.PML", "end.PML"}) {
    EXPECT_TRUE(engine::ReadListTitle(name) == longTitle) << name;
  }
  EXPECT_EQ(engine::ReadListTitle("lf.PML"), "a\nb\n" + std::string(9000, 'c'));
  EXPECT_EQ(engine::ReadListTitle("short.PML"), "");
  EXPECT_EQ(engine::ReadListTitle("empty.PML"), "");
  EXPECT_EQ(engine::ReadListTitle("missing.PML"), "");
  {
    testsupport::ExclusiveHold hold((folder.path() / "cr.PML").string());
    ASSERT_TRUE(hold.Held());
    EXPECT_EQ(engine::ReadListTitle("cr.PML"), "");
  }
}

}  // namespace
