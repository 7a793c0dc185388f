// Run by Thunderbird itself as its AutoConfig file (privileged, in the
// test's private copy of the application): once the mail window is up,
// fills a new address book and writes every card and mailing list it then
// holds to QUILLMER_TB_OUTPUT as JSON, and quits. QUILLMER_TB_KIND says how
// the book is filled:
// - "ldif" or "vcard": QUILLMER_TB_INPUT imported with Thunderbird's own
//   importer (AddrBookFileImporter);
// - "export-ldif": QUILLMER_TB_INPUT is JSON, {"cards": [{property: value}],
//   "lists": [{"name", "nickname", "description", "members": [card index]}]},
//   built with the address book's API (a card from its properties as
//   VCardUtils makes one, a list added with addMailList and its members
//   with addCard); the book is then written with Thunderbird's own LDIF
//   export (AddrBookUtils.exportCardsToLDIF, as "Export" in the address
//   book window) into QUILLMER_TB_LDIF, in UTF-8 as that window writes it.
const { MailServices } = ChromeUtils.importESModule("resource:///modules/MailServices.sys.mjs");
const { AddrBookFileImporter } = ChromeUtils.importESModule(
  "resource:///modules/AddrBookFileImporter.sys.mjs"
);
const { AddrBookUtils } = ChromeUtils.importESModule("resource:///modules/AddrBookUtils.sys.mjs");
const { VCardUtils } = ChromeUtils.importESModule("resource:///modules/VCardUtils.sys.mjs");

function readUtf8(path) {
  const file = Cc["@mozilla.org/file/local;1"].createInstance(Ci.nsIFile);
  file.initWithPath(path);
  return Cu.readUTF8File(file);
}

function writeUtf8(path, text) {
  const file = Cc["@mozilla.org/file/local;1"].createInstance(Ci.nsIFile);
  file.initWithPath(path);
  const stream = Cc["@mozilla.org/network/file-output-stream;1"].createInstance(
    Ci.nsIFileOutputStream
  );
  stream.init(file, 0x02 | 0x08 | 0x20, 0o644, 0); // write, create, truncate
  const writer = Cc["@mozilla.org/intl/converter-output-stream;1"].createInstance(
    Ci.nsIConverterOutputStream
  );
  writer.init(stream, "UTF-8");
  writer.writeString(text);
  writer.close();
}

function buildAndExport(book) {
  const described = JSON.parse(readUtf8(Services.env.get("QUILLMER_TB_INPUT")));
  const cards = described.cards.map(properties =>
    book.addCard(
      VCardUtils.vCardToAbCard(VCardUtils.propertyMapToVCard(new Map(Object.entries(properties))))
    )
  );
  for (const wanted of described.lists) {
    const list = Cc["@mozilla.org/addressbook/directoryproperty;1"].createInstance(
      Ci.nsIAbDirectory
    );
    list.isMailList = true;
    list.dirName = wanted.name;
    list.listNickName = wanted.nickname || "";
    list.description = wanted.description || "";
    const made = book.addMailList(list);
    for (const index of wanted.members) {
      made.addCard(cards[index]);
    }
  }
  writeUtf8(Services.env.get("QUILLMER_TB_LDIF"), AddrBookUtils.exportCardsToLDIF(book.childCards));
}

let started = false;
async function importAndReport() {
  if (started) {
    return;
  }
  started = true;
  const result = { cards: [], lists: [], error: null };
  try {
    const id = MailServices.ab.newAddressBook("Quillmer", "", Ci.nsIAbManager.JS_DIRECTORY_TYPE);
    const book = MailServices.ab.getDirectoryFromId(id);
    const kind = Services.env.get("QUILLMER_TB_KIND");
    if (kind == "export-ldif") {
      buildAndExport(book);
    } else {
      const input = Cc["@mozilla.org/file/local;1"].createInstance(Ci.nsIFile);
      input.initWithPath(Services.env.get("QUILLMER_TB_INPUT"));
      await new AddrBookFileImporter(kind).startImport(input, book);
    }
    for (const card of book.childCards) {
      if (card.isMailList) {
        continue;
      }
      const properties = {};
      for (const property of card.properties) {
        properties[property.name] = String(property.value);
      }
      if (card.supportsVCard) {
        for (const [name, value] of card.vCardProperties.toPropertyMap()) {
          properties[name] = String(value);
        }
      }
      delete properties._vCard;
      result.cards.push(properties);
    }
    for (const list of book.childNodes) {
      result.lists.push({ name: list.dirName, members: list.childCards.map(c => c.primaryEmail) });
    }
  } catch (e) {
    result.error = String(e);
  }
  writeUtf8(Services.env.get("QUILLMER_TB_OUTPUT"), JSON.stringify(result));
  Services.startup.quit(Ci.nsIAppStartup.eForceQuit);
}

Services.obs.addObserver({ observe: importAndReport }, "mail-startup-done");
