#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and runs the copy there: the
# command line and the window's start-up check must find their files through the
# installed layout. lintian must report no errors.
# Usage: package_test.sh SOURCE_DIR BUILD_DIR SCRATCH_DIR
set -euo pipefail
source=$1
build=$(cd "$2" && pwd)
scratch=$3
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

rm -rf "$scratch"
mkdir -p "$scratch/home"
(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
debs=("$scratch"/out/quorvane_*.deb)
deb=${debs[0]}
[[ ${#debs[@]} -eq 1 && -f "$deb" ]] || fail "expected one quorvane_*.deb in $scratch/out"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

[[ $(dpkg-deb -f "$deb" Package) == quorvane ]] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
echo "depends: $depends"
for dep in xdg-utils libqt6widgets6 libsqlite3-0 libxlsxwriter; do
  [[ "$depends" == *"$dep"* ]] || fail "Depends lacks $dep"
done

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
files=(usr/bin/quorvane usr/bin/quorvane-cli
  usr/lib/quorvane/quorvane usr/lib/quorvane/quorvane-cli usr/lib/quorvane/quorvane-access-reader
  usr/lib/quorvane/dbZips.mdb usr/lib/quorvane/HAND-M.CUR usr/lib/quorvane/x/o.cjs
  usr/lib/quorvane/quorvane-map usr/lib/quorvane/us_outlines.bin
  usr/share/applications/com.kelvarin.Quorvane.desktop
  usr/share/metainfo/com.kelvarin.Quorvane.metainfo.xml
  usr/share/icons/hicolor/scalable/apps/com.kelvarin.Quorvane.svg
  usr/share/doc/quorvane/copyright usr/share/doc/quorvane/changelog.gz
  usr/share/bash-completion/completions/quorvane-cli usr/share/zsh/vendor-completions/_quorvane-cli)
for size in 16 22 24 32 48 64 128 256; do
  files+=("usr/share/icons/hicolor/${size}x${size}/apps/com.kelvarin.Quorvane.png")
done
[[ -f "$source/cli/quorvane-cli.1" ]] && files+=(usr/share/man/man1/quorvane-cli.1.gz)
for f in "${files[@]}"; do
  [[ -e "$root/$f" ]] || fail "the package lacks /$f"
done
for size in 16 22 24 32 48 64 128 256; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/com.kelvarin.Quorvane.png"
  [[ $(file -b "$png") == "PNG image data, $size x $size,"* ]] || fail "$png is not $size pixels"
done
! grep -rqF "$build" "$root" || fail "the package names the build folder $build"

# Settings go to a scratch home; the build folder is not on any path the copy uses.
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config"
cd "$scratch"
got=$("$root/usr/bin/quorvane-cli" distance 03053 92018) || fail "quorvane-cli: $got"
want=$("$build/bin/quorvane-cli" distance 03053 92018)
echo "quorvane-cli: $got"
[[ "$got" == "$want" ]] || fail "the installed quorvane-cli says '$got', the build's '$want'"

# The Python module and the SQLite extension find the installed database.
want=${want##* is }
want=${want% miles}
py=$(ls -d "$root"/usr/lib/python3/dist-packages/quorvane 2>/dev/null || true)
if [[ -n "$py" ]]; then
  got=$(PYTHONPATH="$root/usr/lib/python3/dist-packages" QUORVANE_DB= /usr/bin/python3 -c \
    'import quorvane; print(quorvane.distance("03053", "92018"))') || fail "import quorvane: $got"
  echo "python: $got"
  [[ "$got" == "$want" ]] || fail "the installed module says '$got', the command line '$want'"
fi
ext="$root/usr/lib/quorvane/quorvane_sqlite.so"
[[ -f "$ext" ]] || fail "the package lacks /usr/lib/quorvane/quorvane_sqlite.so"
got=$(QUORVANE_DB= sqlite3 :memory: ".load $ext" "SELECT zip_distance('03053', '92018');") ||
  fail "sqlite3 .load: $got"
echo "sqlite: $got"
[[ "$got" == "$want" ]] || fail "the installed extension says '$got', the command line '$want'"

check=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/quorvane" --check) ||
  fail "quorvane --check: $check"
echo "$check"
for line in "skin: applied" "pointer: hand"; do
  grep -qxF "$line" <<<"$check" || fail "quorvane --check did not say '$line'"
done

lintian --fail-on error "$deb" || fail "lintian reports errors"
