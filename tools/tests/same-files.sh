# Sourced by the comparisons of the Linux and the Windows build: `same FILE WHAT` compares
# $work/linux/FILE with $work/windows/FILE byte for byte, says which, and counts in
# $failures what is missing or differs.
failures=0
same() {  # FILE (relative to each side's folder) WHAT
  if [[ ! -f $work/linux/$1 || ! -f $work/windows/$1 ]]; then
    echo "MISSING: $2 ($1)" >&2
    failures=$((failures + 1))
  elif cmp -s "$work/linux/$1" "$work/windows/$1"; then
    echo "same: $2"
  else
    echo "DIFFERENT: $2 ($1)" >&2
    cmp "$work/linux/$1" "$work/windows/$1" >&2 || true
    failures=$((failures + 1))
  fi
}
