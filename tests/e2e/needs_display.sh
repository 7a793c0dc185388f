# Sourced by the end-to-end scripts: without a display they are skipped
# (exit status 77, which ctest counts as skipped); winpath PATH gives the
# Wine path of a Linux one.
if [ -z "${DISPLAY:-}" ]; then
  echo "no display: skipped (scripts/test provides one)"
  exit 77
fi
winpath() { printf 'Z:%s' "${1//\//\\}"; }
