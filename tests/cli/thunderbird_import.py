"""Imports a file into the real Thunderbird and says what arrived, or has
Thunderbird build an address book and write it as its own LDIF export.

Debian's Thunderbird runs headless from a private copy of its application
folder (the binary copied, everything else linked, nothing installed
changed) whose AutoConfig file is thunderbird_import.js, with a new profile
and home folder under WORK. What its own importer made of the file comes
back as {"cards": [properties], "lists": [{"name", "members"}], "error"},
plus "refused": the mailing-list names its address book refused, from its
console. export_ldif builds the book from cards and lists given as JSON
with Thunderbird's address book API and writes it with
AddrBookUtils.exportCardsToLDIF. Every process it starts is ended by its
process group.
"""
import json
import os
import re
import shutil
import signal
import subprocess

INSTALLED = "/usr/lib/thunderbird"
HERE = os.path.dirname(os.path.abspath(__file__))


def available():
    return os.path.exists(os.path.join(INSTALLED, "thunderbird-bin"))


def _application(work):
    app = os.path.join(work, "thunderbird")
    if os.path.isdir(app):
        return app
    os.mkdir(app)
    for name in os.listdir(INSTALLED):
        if name in ("thunderbird", "thunderbird-bin", "defaults"):
            continue
        os.symlink(os.path.join(INSTALLED, name), os.path.join(app, name))
    # Copied, so that Thunderbird takes this folder as its own.
    shutil.copy2(os.path.join(INSTALLED, "thunderbird-bin"), app)
    os.symlink("thunderbird-bin", os.path.join(app, "thunderbird"))
    defaults = os.path.join(INSTALLED, "defaults")
    os.makedirs(os.path.join(app, "defaults", "pref"))
    for name in os.listdir(defaults):
        if name != "pref":
            os.symlink(os.path.join(defaults, name), os.path.join(app, "defaults", name))
    for name in os.listdir(os.path.join(defaults, "pref")):
        os.symlink(os.path.join(defaults, "pref", name), os.path.join(app, "defaults", "pref", name))
    with open(os.path.join(app, "defaults", "pref", "autoconfig.js"), "w") as f:
        f.write('pref("general.config.filename", "mozilla.cfg");\n'
                'pref("general.config.obscure_value", 0);\n'
                'pref("general.config.sandbox_enabled", false);\n'
                'pref("devtools.console.stdout.chrome", true);\n'
                'pref("browser.dom.window.dump.enabled", true);\n')
    with open(os.path.join(HERE, "thunderbird_import.js")) as src, \
            open(os.path.join(app, "mozilla.cfg"), "w") as cfg:
        cfg.write("// The first line of an AutoConfig file is skipped.\n" + src.read())
    return app


def import_file(path, kind, work, timeout=120):
    return _run(os.path.abspath(path), kind, work, {}, timeout)


def export_ldif(book, ldif, work, timeout=120):
    """book: {"cards": [{property: value}], "lists": [{"name", "members":
    [card index], "nickname"?, "description"?}]}; writes Thunderbird's LDIF
    export of it to the file `ldif` and returns what the book then held."""
    described = os.path.join(work, f"book-{len(os.listdir(work))}.json")
    with open(described, "w", encoding="utf-8") as f:
        json.dump(book, f)
    return _run(os.path.abspath(described), "export-ldif", work, {"QUILLMER_TB_LDIF": os.path.abspath(ldif)}, timeout)


def _run(path, kind, work, extra, timeout):
    app = _application(work)
    run = os.path.join(work, f"tb-{len(os.listdir(work))}")
    profile = os.path.join(run, "profile")
    home = os.path.join(run, "home")
    os.makedirs(profile)
    os.makedirs(home)
    output = os.path.join(run, "result.json")
    env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": home, "TMPDIR": run,
           "MOZ_CRASHREPORTER_DISABLE": "1", "MOZ_HEADLESS": "1",
           "QUILLMER_TB_INPUT": path, "QUILLMER_TB_KIND": kind,
           "QUILLMER_TB_OUTPUT": output, **extra}
    process = subprocess.Popen([os.path.join(app, "thunderbird"), "--headless", "-no-remote",
                                "-profile", profile], env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               start_new_session=True)
    try:
        console, _ = process.communicate(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.communicate()
        raise AssertionError(f"Thunderbird did not finish within {timeout} s")
    finally:
        try:
            os.killpg(process.pid, signal.SIGKILL)  # whatever it left behind
        except ProcessLookupError:
            pass
    console = console.decode("utf-8", errors="replace")
    assert os.path.exists(output), "Thunderbird wrote no result:\n" + console[-3000:]
    with open(output, encoding="utf-8") as f:
        result = json.load(f)
    result["refused"] = re.findall(
        r"(?:Invalid mail list name: |Mail list name must be set)([^\n]*)", console)
    return result
