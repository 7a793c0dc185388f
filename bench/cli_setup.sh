# Sourced by the CLI benchmarks: bench_setup NAME [CLI] finds quillmer-cli
# (default: the native build's), the project's address-book writer next to
# it and makes a temporary folder removed on exit (kept when
# QUILLMER_KEEP_BENCH is set). Sets cli, writer and folder.
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
