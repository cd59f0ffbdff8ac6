#!/usr/bin/env bash
# Makes the .deb from this build tree, checks what it holds and what it depends on, unpacks it into
# a scratch root and runs the installed programs from there, as a fresh install would.
# Arguments: the cpack program, the build tree, the source tree, the version the build carries, and
# 1 when the tree builds kvqor-cli.
set -euo pipefail
cpack=$1
build=$2
source=$3
version=$4
with_cli=$5

work=$build/package-test
rm -rf "$work"
mkdir -p "$work"
work=$(realpath "$work")
fails=0
fail() {
  echo "FAIL: $*" >&2
  fails=$((fails + 1))
}
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if ! "$@"; then fail "$what"; fi
}

# --- the package
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log" >&2
  echo "FAIL: cpack could not make the package" >&2
  exit 1
fi
debs=("$work"/kvqor_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no single kvqor_*.deb in $work" >&2; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
check "Package is kvqor" test "$(field Package)" = kvqor
check "Version is $version-1, not $(field Version)" test "$(field Version)" = "$version-1"
check "Section is electronics" test "$(field Section)" = electronics
check "a Maintainer is named" test -n "$(field Maintainer)"
check "a Description is given" test -n "$(field Description)"

# The Qt 6 libraries the programs link, found by dpkg-shlibdeps, and the C and C++ runtimes.
depends=$(field Depends)
echo "Depends: $depends"
depends_names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/^ *//; s/[ :].*//')
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6serialport6; do
  grep -Fqx "$lib" <<<"$depends_names" || fail "Depends lacks $lib"
done

# Every dependency is a Debian 12 package at a version this system has (so dpkg -i would take it).
satisfied() {  # one dependency: "name", "name (op version)" or alternatives with |
  local alt name op want have
  IFS='|' read -ra alts <<<"$1"
  for alt in "${alts[@]}"; do
    alt=$(xargs <<<"$alt")
    name=${alt%% *}
    name=${name%%:*}
    have=$(dpkg-query -W -f='${Version}' "$name" 2>/dev/null || true)
    [ -n "$have" ] || continue
    if [[ $alt =~ \(([<>=]+)\ *([^\)]+)\) ]]; then
      op=${BASH_REMATCH[1]}
      want=${BASH_REMATCH[2]}
      case $op in
        '>=') op=ge ;; '<=') op=le ;; '=') op=eq ;; '>>') op=gt ;; '<<') op=lt ;;
      esac
      dpkg --compare-versions "$have" "$op" "$want" || continue
    fi
    return 0
  done
  return 1
}
IFS=',' read -ra deps <<<"$depends"
for dep in "${deps[@]}"; do
  satisfied "$dep" || fail "dependency not met on this system: $dep"
done

# --- what it installs
root=$work/root
dpkg -x "$deb" "$root"
contents=$(cd "$root" && find . -type f -o -type l | sed 's|^\./|/|' | sort)
expected=(
  /usr/bin/kvqor
  /usr/bin/kvqor-sim
  /usr/share/kvqor/QORWIN1.html
  /usr/share/applications/kvqor.desktop
  /usr/share/icons/hicolor/scalable/apps/kvqor.svg
  /usr/share/icons/hicolor/48x48/apps/kvqor.png
  /usr/share/icons/hicolor/256x256/apps/kvqor.png
  /usr/share/man/man1/kvqor.1.gz
  /usr/share/man/man1/kvqor-sim.1.gz
)
if [ "$with_cli" = 1 ]; then
  expected+=(/usr/bin/kvqor-cli /usr/share/man/man1/kvqor-cli.1.gz)
fi
for path in "${expected[@]}"; do
  grep -qx "$path" <<<"$contents" || fail "the package does not install $path"
done
# Nothing of the build tree comes along: no tests, benchmarks or tools.
unexpected=$(grep -Ev '^/usr/(bin/kvqor(-cli|-sim)?|share/(kvqor|applications|icons/hicolor|man/man1)/.*)$' <<<"$contents" || true)
[ -z "$unexpected" ] || fail "unexpected files in the package: $unexpected"

check "the installed guide is the source's" cmp -s "$root/usr/share/kvqor/QORWIN1.html" "$source/src/app/QORWIN1.html"
for size in 16 32 48 64 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x${size}/apps/kvqor.png" | grep -q "PNG image data, $size x $size" ||
    fail "the ${size}x${size} icon is not a PNG of that size"
done
if command -v desktop-file-validate >/dev/null; then
  check "the desktop entry is valid" desktop-file-validate "$root/usr/share/applications/kvqor.desktop"
else
  fail "desktop-file-validate is missing (scripts/setup.sh installs desktop-file-utils)"
fi
for page in "$root"/usr/share/man/man1/*.1.gz; do
  warnings=$(zcat "$page" | groff -man -ww -z -t 2>&1 || true)
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
for page in kvqor kvqor-sim; do
  zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "\"kvqor $version\"" ||
    fail "$page.1 does not carry the version $version"
done

# --- the installed programs run from the scratch root
export QT_QPA_PLATFORM=offscreen
bin=$root/usr/bin
check "kvqor --version" test "$("$bin/kvqor" --version)" = "kvqor $version"
help=$("$bin/kvqor" --help)
grep -qx "User guide: $root/usr/share/kvqor/QORWIN1.html" <<<"$help" ||
  fail "the installed kvqor does not find its guide: $help"
# The window starts from the installed tree and keeps running until it is told to stop.
set +e
timeout -s TERM 3 "$bin/kvqor" >"$work/kvqor.log" 2>&1
status=$?
set -e
[ "$status" -eq 124 ] || fail "the installed kvqor did not keep running (status $status): $(cat "$work/kvqor.log")"
check "kvqor-sim --version" test "$("$bin/kvqor-sim" --version)" = "kvqor-sim $version"
"$bin/kvqor-sim" --help | grep -q '^Usage: kvqor-sim' || fail "kvqor-sim --help"

if [ "$with_cli" = 1 ]; then
  check "kvqor-cli --version" test "$("$bin/kvqor-cli" --version)" = "kvqor-cli $version"
  hex=$(ls "$source"/examples/*at89c2051*.hex | head -n1)
  # Auto on the built-in simulated programmer.
  out=$("$bin/kvqor-cli" -p sim -d AT89C2051 auto "$hex" </dev/null 2>&1) || fail "kvqor-cli auto on sim: $out"
  grep -q 'Auto Program..Pass' <<<"$out" || fail "kvqor-cli auto on sim did not pass: $out"
  # Auto over a pseudo-terminal served by the installed kvqor-sim: the real serial-port code.
  "$bin/kvqor-sim" --link "$work/ttyKVQOR" --part AT89C2051 --unpaced >"$work/sim.out" 2>"$work/sim.err" &
  sim=$!
  for _ in $(seq 50); do
    [ -L "$work/ttyKVQOR" ] && break
    sleep 0.1
  done
  out=$(timeout 60 "$bin/kvqor-cli" -p "$work/ttyKVQOR" -d AT89C2051 auto "$hex" </dev/null 2>&1) ||
    fail "kvqor-cli auto over kvqor-sim: $out"
  grep -q 'Auto Program..Pass' <<<"$out" || fail "kvqor-cli auto over kvqor-sim did not pass: $out"
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
fi

if [ "$fails" -ne 0 ]; then
  echo "$fails check(s) failed" >&2
  exit 1
fi
echo "package: every check passed"
