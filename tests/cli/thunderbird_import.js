// Run by Thunderbird itself as its AutoConfig file (privileged, in the
// test's private copy of the application): once the mail window is up,
// imports QUILLMER_TB_INPUT with Thunderbird's own importer
// (AddrBookFileImporter, type QUILLMER_TB_KIND: "ldif" or "vcard") into a
// new address book, writes every card and mailing list to
// QUILLMER_TB_OUTPUT as JSON, and quits.
const { MailServices } = ChromeUtils.importESModule("resource:///modules/MailServices.sys.mjs");
const { AddrBookFileImporter } = ChromeUtils.importESModule(
  "resource:///modules/AddrBookFileImporter.sys.mjs"
);

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
    const input = Cc["@mozilla.org/file/local;1"].createInstance(Ci.nsIFile);
    input.initWithPath(Services.env.get("QUILLMER_TB_INPUT"));
    await new AddrBookFileImporter(Services.env.get("QUILLMER_TB_KIND")).startImport(input, book);
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
