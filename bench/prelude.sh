# The start every Wine benchmark shares, sourced from the repository's root: the machine set up,
# the Windows build's TARGETS built, a Wine session of the benchmark's own, and a scratch folder
# $work under build/ named after NAME, removed with the session on exit.
# Usage: qb_bench_start NAME TARGET...
qb_bench_start() {
  local name=$1
  shift
  bash scripts/setup.sh >&2
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target "$@" -j2 >/dev/null
  source scripts/wine-env.sh
  qb_start_wine
  work=$(mktemp -d "$PWD/build/$name.XXXXXX")
  trap 'rm -rf "$work"; qb_cleanup' EXIT
}
