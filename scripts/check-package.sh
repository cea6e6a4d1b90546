#!/usr/bin/env bash
# Builds the Debian package from a configured and built tree, unpacks it into a scratch
# root and checks what a user gets: the files in their places, a valid desktop entry and
# AppStream metainfo, the installed program answering --version, and a first start that
# writes its settings into the XDG folders only.
# Usage: check-package.sh BUILD_DIR VERSION PROGRAM...   (exit 77: a needed tool is missing)
set -euo pipefail
[[ $# -ge 3 ]] || { echo "usage: $0 BUILD_DIR VERSION PROGRAM..." >&2; exit 2; }
build=$(realpath "$1"); version=$2; shift 2; programs=("$@")

for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli apt-get timeout; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"; exit 77; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

echo "== Building the package"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$scratch"/out/kestrava_"$version"_*.deb)
[[ -f ${debs[0]} ]] || { cat "$scratch/cpack.log"; echo "FAIL: no kestrava_${version}_*.deb"; exit 1; }
deb=${debs[0]}
echo "${deb##*/}"

depends=$(dpkg-deb --field "$deb" Depends)
echo "Depends: $depends"
for library in libqt6widgets6 libqt6gui6 libjpeg62-turbo libc6; do
  [[ $depends == *"$library "* ]] || fail "Depends lacks $library"
done
apt-get install --simulate --no-install-recommends "$deb" >"$scratch/apt.log" 2>&1 ||
  { cat "$scratch/apt.log"; fail "apt cannot install the package's dependencies"; }

echo "== Unpacking into a scratch root"
root=$scratch/root
dpkg -x "$deb" "$root"
usr=$root/usr
expected=(
  share/applications/kestrava.desktop
  share/metainfo/org.kestrava.Kestrava.metainfo.xml
  share/icons/hicolor/scalable/apps/kestrava.svg
)
for program in "${programs[@]}"; do expected+=("bin/$program" "share/man/man1/$program.1.gz"); done
for size in 16 22 24 32 48 64 128 256; do expected+=("share/icons/hicolor/${size}x${size}/apps/kestrava.png"); done
for file in "${expected[@]}"; do
  [[ -s $usr/$file ]] || fail "missing /usr/$file"
done
for program in "${programs[@]}"; do
  [[ -x $usr/bin/$program ]] || fail "/usr/bin/$program is not executable"
done

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for png in "$usr"/share/icons/hicolor/*x*/apps/kestrava.png; do
  folder=$(basename "$(dirname "$(dirname "$png")")")
  read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
    awk '{ print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8 }')
  [[ "${width}x${height}" == "$folder" ]] || fail "$folder icon is ${width}x${height}"
done

for page in "${programs[@]}"; do
  text=$(gzip -dc "$usr/share/man/man1/$page.1.gz") || { fail "$page.1.gz is not gzip"; continue; }
  [[ $text == *".TH "* && $text == *"$version"* ]] || fail "$page.1 has no title line with the version"
done
# The man pages keep up with the programs: every command and option their --help lists.
page_text() { gzip -dc "$usr/share/man/man1/$1.1.gz" | sed 's/\\-/-/g'; }
for program in "${programs[@]}"; do
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen timeout 30 "$usr/bin/$program" --help) ||
    { fail "$program --help"; continue; }
  page=$(page_text "$program")
  for option in $(grep -oE -- '--[a-z-]+[a-z]' <<<"$help" | sort -u); do
    grep -qF -- "$option" <<<"$page" || fail "$program.1 does not describe $option"
  done
  commands=$(awk '/^commands:/ { on = 1; next } /^$/ { on = 0 } on && /^  [a-z]/ { sub(/,$/, "", $1); print $1 }' <<<"$help")
  [[ $program != kestrava-tags || -n $commands ]] || fail "kestrava-tags --help lists no commands"
  for command in $commands; do
    grep -qE "^\.B[IR]? $command( |$)" <<<"$page" || fail "$program.1 does not describe the command $command"
  done
done

echo "== Validating the desktop entry and the metainfo"
desktop-file-validate "$usr/share/applications/kestrava.desktop" || fail "desktop-file-validate"
grep -qx 'Exec=kestrava %f' "$usr/share/applications/kestrava.desktop" || fail "Exec is not 'kestrava %f'"
appstreamcli validate --no-net "$usr/share/metainfo/org.kestrava.Kestrava.metainfo.xml" || fail "appstreamcli validate"

echo "== Installed kestrava --version"
# No display: an option that opened a window would fail here or hang until the timeout.
status=0
output=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen timeout 30 "$usr/bin/kestrava" --version 2>&1) || status=$?
echo "$output"
[[ $status -eq 0 ]] || fail "kestrava --version exited with status $status"
[[ $output == *"$version"* ]] || fail "kestrava --version does not print $version"

echo "== First start writes only into the XDG folders"
# Each run: a new user (empty HOME), started in an empty working folder, ended after
# the splash and the main window are up. First with XDG_* set, then with their defaults.
first_start() {
  local home=$1 work=$2; shift 2
  mkdir -p "$home" "$work"
  local status=0
  (cd "$work" && env -i PATH="$PATH" HOME="$home" QT_QPA_PLATFORM=offscreen "$@" \
     timeout -s TERM 8 "$usr/bin/kestrava" >"$scratch/start.log" 2>&1) || status=$?
  [[ $status -eq 124 ]] || { cat "$scratch/start.log"; fail "kestrava ended by itself (status $status) during its first start"; }
  [[ -z $(ls -A "$work") ]] || fail "first start wrote into the working folder: $(ls -A "$work")"
}
xdg=$scratch/xdg
first_start "$scratch/home1" "$scratch/work1" XDG_CONFIG_HOME="$xdg/config" XDG_DATA_HOME="$xdg/data" \
  XDG_CACHE_HOME="$xdg/cache" XDG_STATE_HOME="$xdg/state" XDG_RUNTIME_DIR="$xdg/runtime"
[[ -s $xdg/config/kestrava/registry.ini ]] || fail "no settings in \$XDG_CONFIG_HOME/kestrava/registry.ini"
written=$(find "$scratch/home1" -mindepth 1)
[[ -z $written ]] || fail "first start wrote into HOME though XDG_* pointed elsewhere: $written"

home=$scratch/home2
first_start "$home" "$scratch/work2"
[[ -s $home/.config/kestrava/registry.ini ]] || fail "no settings in ~/.config/kestrava/registry.ini"
outside=$(find "$home" -mindepth 1 \( -path "$home/.config" -o -path "$home/.cache" -o -path "$home/.local/share" \
  -o -path "$home/.local/state" \) -prune -o ! -path "$home/.local" -print)
[[ -z $outside ]] || fail "first start wrote outside the XDG folders: $outside"
echo "written on first start:"; (cd "$home" && find . -type f | sort)

if [[ $failures -gt 0 ]]; then echo "$failures check(s) failed"; exit 1; fi
echo "package checks passed"
