#!/usr/bin/env bash
# Checks that scripts/setup.sh would install, on a bare Debian 12 machine, every
# Debian package the configured build takes files from: the CMake package
# configuration files and modules configure read, the programs, libraries and
# include directories in the CMake cache, the libraries linked and the headers
# compiled. A package that only happens to be installed on this machine is the
# fault this catches.
#   scripts/check-setup-packages.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
build=$(cd "$build" && pwd)
[ -f "$build/CMakeCache.txt" ] && [ -f "$build/build.ninja" ] || {
  echo "check-setup-packages: $build is not a configured Ninja build folder" >&2
  exit 2
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Files the build uses, outside the source and build trees.
{
  # Every file configure read: ninja re-runs CMake when one of them changes.
  awk '/^build build\.ninja:/ { for (i = 1; i <= NF; ++i) print $i; exit }' "$build/build.ninja"
  # Absolute paths in the cache (programs, libraries, include and package dirs).
  sed -n 's/^[^#/][^:]*:\(FILEPATH\|PATH\|STRING\)=\(\/.*\)$/\2/p' "$build/CMakeCache.txt" | tr ';' '\n'
  # Libraries linked and include directories named on the command lines.
  grep -E '^\s+(LINK_LIBRARIES|INCLUDES|FLAGS) = ' "$build/build.ninja" | tr ' ' '\n' | sed 's/^-I\|^-isystem//'
  # Headers the compiler read, when the build has run.
  ninja -C "$build" -t deps 2>/dev/null | sed -n 's/^ \+\(\/.*\)$/\1/p'
} | grep '^/' | grep -v -e "^$root/" -e "^$build/" -e '^/tmp/' -e '^/proc/' | sort -u >"$work/paths"

# Keep those that exist; a symbolic link also counts through its target, so
# that /usr/bin/c++ (an alternatives link) leads to the compiler's package.
: >"$work/used"
while IFS= read -r p; do
  [ -e "$p" ] || continue
  kind=f
  [ -d "$p" ] && kind=d
  printf '%s\t%s\t%s\n' "$p" "$p" "$kind" >>"$work/used"
  if [ -L "$p" ]; then
    printf '%s\t%s\t%s\n' "$p" "$(readlink -f "$p")" "$kind" >>"$work/used"
  fi
done <"$work/paths"

# Owner packages of every file, from dpkg's own file lists.
for list in /var/lib/dpkg/info/*.list; do
  pkg=${list##*/}
  pkg=${pkg%.list}
  sed "s|^|${pkg%%:*}\t|" "$list"
done >"$work/owners"

# What setup.sh installs on a bare machine: its packages and everything apt
# pulls in for them (no recommends, as setup.sh asks), resolved against an
# empty package status; plus what every bare Debian machine has (Essential and
# Priority required).
mapfile -t named < <(bash scripts/setup.sh --list)
if ! apt-get -s -o Dir::State::status=/dev/null -o Debug::NoLocking=1 install --no-install-recommends \
    "${named[@]}" >"$work/sim" 2>"$work/sim.err"; then
  echo "check-setup-packages: apt-get cannot resolve the packages of scripts/setup.sh:" >&2
  cat "$work/sim.err" >&2
  exit 1
fi
{
  printf '%s\n' "${named[@]}"
  awk '$1 == "Inst" { print $2 }' "$work/sim" | sed 's/:.*//'
  dpkg-query -W -f='${Package} ${Essential} ${Priority}\n' | awk '$2 == "yes" || $3 == "required" { print $1 }'
} | sort -u >"$work/bare"

# A file passes when one of its owners is on a bare machine after setup.sh;
# a directory (shared by many packages) when any of its owners is.
awk -F'\t' -v bare="$work/bare" -v owners="$work/owners" '
  BEGIN {
    while ((getline line < bare) > 0) ok[line] = 1
    while ((getline line < owners) > 0) {
      split(line, f, "\t")
      own[f[2]] = own[f[2]] " " f[1]
    }
  }
  {
    used = $1
    if (!(used in seen)) { seen[used] = 1; order[++n] = used; kind[used] = $3 }
    if (!($2 in own)) next
    found[used] = 1
    m = split(own[$2], pk, " ")
    for (i = 1; i <= m; ++i) {
      if (pk[i] in ok) { good[used] = 1 } else { cand[used] = cand[used] " " pk[i] }
    }
  }
  END {
    bad = 0
    for (i = 1; i <= n; ++i) {
      u = order[i]
      if (good[u]) continue
      # A file no package owns was installed by hand: a bare machine lacks it.
      if (!found[u]) { if (kind[u] == "f") { print "no package owns " u; bad = 1 } ; continue }
      m = split(cand[u], pk, " ")
      for (j = 1; j <= m; ++j) { missing[pk[j]]++; if (!(pk[j] in example)) example[pk[j]] = u }
      bad = 1
    }
    for (p in missing)
      printf "%s is not installed by scripts/setup.sh (%d file(s) used, e.g. %s)\n", p, missing[p], example[p]
    exit bad
  }' "$work/used" >"$work/report" || {
  sort "$work/report" >&2
  echo "check-setup-packages: FAILED: name the packages above in scripts/setup.sh" >&2
  exit 1
}
echo "check-setup-packages: $(cut -f1 "$work/used" | sort -u | wc -l) files used by the build, all from packages scripts/setup.sh installs ($(wc -l <"$work/bare") packages on a bare machine)"
