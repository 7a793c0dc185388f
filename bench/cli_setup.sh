# Sourced by the CLI benchmarks: bench_setup NAME [CLI] finds quillmer-cli
# (default: the native build's), the project's address-book writer next to
# it and makes a temporary folder removed on exit (kept when
# QUILLMER_KEEP_BENCH is set). Sets cli, writer and folder. make_shape
# writes a folder of the shapes the benchmarks time.
bench_setup() {
  local name=$1
  cli=${2:-build/native/cli/quillmer-cli}
  [ -x "$cli" ] || { echo "$name: no quillmer-cli at $cli (build the native preset)" >&2; exit 2; }
  cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
  writer=$(dirname "$cli")/../tools/make_address_book
  [ -x "$writer" ] || { echo "$name: no make_address_book at $writer" >&2; exit 2; }
  folder=$(mktemp -d "${TMPDIR:-/tmp}/quillmer-$name.XXXXXX")
  trap '[ -n "${QUILLMER_KEEP_BENCH:-}" ] || rm -rf "$folder"' EXIT
}

# make_shape DIR BOOKS RECORDS ENTRIES NAMES_OF EVERY: a folder of BOOKS
# books holding RECORDS records and EVERYONE.PML of ENTRIES entries, of
# which NAMES_OF in each EVERY are names.
make_shape() {
  local dir=$1
  mkdir -p "$dir"
  python3 - "$@" <<'PY'
import random, sys
folder = sys.argv[1]
books, records, entries, names_of, every = map(int, sys.argv[2:7])
first = [b"Alexandra", b"Bo", b"Charlotte", b"Dmitri", b"Eve", b"Fran\xe7ois",
         b"Gwendolyn", b"Hu", b"Isabella", b"Jo", b"Konstantin", b"Li"]
last = [b"Smith", b"Featherstonehaugh", b"Ng", b"O'Brien", b"M\x81ller", b"Castellanos",
        b"Wu", b"Abernathy-Jones", b"Kowalski", b"Tan"]
def person(i): return first[i % 12] + b" " + last[(i // 12) % 10] + b" " + str(i).encode()
def address(i): return first[i % 12][:3] + b"." + str(i).encode() + b"@example-mail.org"
for b in range(books):
    lines = [b"title: Book %d" % b]
    lines += [person(r) + b" | " + address(r) + b" | Quillmer Testing Ltd | +64 4 555 0100 | met at the conference"
              for r in range(b, records, books)]
    open(f"{folder}/book{b}.txt", "wb").write(b"\n".join(lines) + b"\n")
rng = random.Random(5)
lines = [b"\\TITLE Everyone"]
for e in range(entries):
    r = rng.randrange(records)
    lines.append(person(r).lower() if e % every < names_of else b"friend%d@elsewhere.net" % r)
open(f"{folder}/EVERYONE.PML", "wb").write(b"\r\n".join(lines) + b"\r\n")
PY
  for source in "$dir"/book*.txt; do
    "$writer" "$source" "${source%.txt}.PMR"
    rm "$source"
  done
}
