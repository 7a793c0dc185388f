#!/usr/bin/env bash
# bench/cli_memory.sh [CLI]: peak memory (VmHWM, the resident high-water
# mark) of `quillmer-cli expand` on a folder with one 400 MB address book
# (873,362 records, most of them with short names) and a 1,000-entry list.
# Goal: at most the tables' own size plus 16 MiB, the tables being the
# names and addresses the load keeps (their bytes and a 4-byte offset each)
# and the first-match index over the names (8 bytes a slot, one and a half
# slots a record). The book is written by the project's own
# writer (make_address_book) from a text source, in a temporary folder
# removed afterwards.
set -euo pipefail
. "$(dirname "$0")/cli_setup.sh"
bench_setup cli-memory "${1:-}"

python3 - "$folder" <<'PY'
import random, sys
folder = sys.argv[1]
records = 400_000_000 // 458 + 1  # 128 + 458 * records just over 400 MB
rng = random.Random(9)
def Name(i):
    return ("%s%s %d" % (chr(65 + i % 26), chr(97 + (i // 26) % 26), i) if i % 10
            else "Member of the Regional Committee %d" % i)
names, addresses = [], []
with open(f"{folder}/big.txt", "w", encoding="latin-1") as src:
    src.write("title: Everyone\n")
    for i in range(records):
        # Most names short (initials and a number); one in ten longer.
        name = Name(i)
        address = "m%d@example.org" % i
        src.write("%s | %s | Company | 555 0100 | notes\n" % (name, address))
        names.append(len(name)); addresses.append(len(address))
kept = sum(names) + sum(addresses)
offsets = 2 * 4 * (records + 1)
slots = records + records // 2 + 1
open(f"{folder}/sizes", "w").write("%d %d %d %d\n" % (records, kept, offsets, slots * 8))
lines = ["\\TITLE Big"] + [Name(rng.randrange(records)).lower() if e % 2 else "x%d@elsewhere" % e
                           for e in range(1000)]
open(f"{folder}/BIG.PML", "w").write("\r\n".join(lines) + "\r\n")
PY
"$writer" "$folder/big.txt" "$folder/BIG.PMR"
rm "$folder/big.txt"
read -r records kept offsets index < "$folder/sizes"
rm "$folder/sizes"
echo "book: $(stat -c %s "$folder/BIG.PMR") bytes, $records records"

cd "$folder"
python3 - "$cli" "$records" "$kept" "$offsets" "$index" <<'PY'
import resource, subprocess, sys
cli, records, kept, offsets, index = sys.argv[1], *map(int, sys.argv[2:])
out = subprocess.run([cli, "expand", ".", "Big"], stdout=subprocess.PIPE, check=True).stdout
peak = resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss * 1024  # VmHWM, in bytes
mib = 1024 * 1024
tables = kept + offsets
print("expansion: %d bytes, %d names resolved" % (len(out), out.count(b"\t")))
print("tables: names and addresses %.1f MiB + offsets %.1f MiB = %.1f MiB; index %.1f MiB"
      % (kept / mib, offsets / mib, tables / mib, index / mib))
print("VmHWM of quillmer-cli expand: %.1f MiB" % (peak / mib))
goal = tables + index + 16 * mib
print("goal (tables + index + 16 MiB): %.1f MiB   %s" % (goal / mib, "met" if peak <= goal else "MISSED"))
strict = tables + 16 * mib
print("without the index (tables + 16 MiB): %.1f MiB   %s" % (strict / mib, "met" if peak <= strict else "MISSED"))
PY
