#!/usr/bin/env bash
# Builds the Debian package and checks it as a user's machine would: lintian
# finds no error, the desktop entry and the AppStream data validate, the
# package holds exactly the files listed below; then it installs the package,
# runs the installed programs as a normal user from a folder of their own
# with no display, and removes it again together with every package the
# install brought along, so the machine's packages are as they were. Every
# version it carries is the one of the changelog's top entry. Needs root or
# sudo (apt-get), as in CI. --tree DIR goes on to ./package.sh: the package is
# made from that tree (CI's test tree) instead of one of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
./tools/install-deps.sh --check-package

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
else
  as_root=(sudo)
fi
apt_get=("${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -y -q)

fail() {
  echo "check-package: $*" >&2
  exit 1
}

is_installed() {
  dpkg-query -W -f='${Status}' quintara 2>/dev/null | grep -q 'install ok installed'
}

[ -z "$(dpkg-query -W -f='${Status}' quintara 2>/dev/null | grep -v 'not-installed' || true)" ] ||
  fail "quintara is installed on this machine; the check installs and removes it, so remove it first"

work=$(mktemp -d)
# The programs run as another user below and must reach their folders in it.
chmod 755 "$work"
installed=0
cleanup() {
  if [ "$installed" -eq 1 ]; then
    if dpkg-query -W quintara >/dev/null 2>&1; then
      "${apt_get[@]}" purge quintara >/dev/null 2>&1 || true
    fi
    dpkg-query -W -f='${Package}\n' | sort >"$work/after"
    mapfile -t brought < <(comm -13 "$work/before" "$work/after")
    [ ${#brought[@]} -eq 0 ] || "${apt_get[@]}" purge "${brought[@]}" >/dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# --- the package file --------------------------------------------------------
# The changelog's top entry, read by dpkg's own reader: the package's version
# ("8.0-1", an epoch before a colon), the program's ("8.0") and the date.
package_version=$(dpkg-parsechangelog -l packaging/changelog -S Version)
version=${package_version#*:}
version=${version%-*}
read -r _ day month_abbreviation year _ <<<"$(dpkg-parsechangelog -l packaging/changelog -S Date)"
release_date=$(date -u -d "$day $month_abbreviation $year" +%F)
./package.sh "$@" >"$work/package.log" 2>&1 || { cat "$work/package.log" >&2; fail "./package.sh failed"; }
deb=$(tail -n 1 "$work/package.log")
[ -f "$deb" ] || fail "the last line of ./package.sh names no file: $deb"
[ "$(basename "$deb")" = "quintara_${package_version#*:}_$(dpkg --print-architecture).deb" ] ||
  fail "the package file $(basename "$deb") is not named after the changelog's version $package_version"
[ "$(dpkg-deb -f "$deb" Version)" = "$package_version" ] ||
  fail "the package's version $(dpkg-deb -f "$deb" Version) is not the changelog's $package_version"
echo "check-package: $deb"

# Lintian leaves a scratch file in its temporary folder: in ours it goes.
TMPDIR="$work" lintian --fail-on error "$deb" || fail "lintian reports errors"

# Depends come from the libraries the programs link.
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libqt6core6 libqt6widgets6 libqt6serialport6 libssl3; do
  grep -q "\b$library\b" <<<"$depends" || fail "Depends lacks $library: $depends"
done

# --- what it holds -------------------------------------------------------------
id=org.quintara.Quintara
expected=(
  /usr/bin/quintara
  /usr/bin/quintara-instrument-sim
  /usr/share/applications/$id.desktop
  /usr/share/doc/quintara/changelog.Debian.gz
  /usr/share/doc/quintara/copyright
  /usr/share/icons/hicolor/scalable/apps/$id.svg
  /usr/share/man/man1/quintara-instrument-sim.1.gz
  /usr/share/man/man1/quintara.1.gz
  /usr/share/metainfo/$id.metainfo.xml
)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
done
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' | sort >"$work/holds"
diff -u "$work/expected" "$work/holds" || fail "the package's files differ from the list (- expected, + in the package)"

dpkg-deb -x "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$id.metainfo.xml" || fail "appstreamcli validate"
# The AppStream data's launchable is the desktop entry in the package, and the
# entry starts a program and shows an icon that the package installs.
appstreamcli validate-tree --no-net "$work/root" || fail "appstreamcli validate-tree"
exec_line=$(sed -n 's/^Exec=//p' "$work/root/usr/share/applications/$id.desktop")
[ -x "$work/root/usr/bin/${exec_line%% *}" ] || fail "the desktop entry starts ${exec_line%% *}, not an installed program"
icon_name=$(sed -n 's/^Icon=//p' "$work/root/usr/share/applications/$id.desktop")
[ -f "$work/root/usr/share/icons/hicolor/48x48/apps/$icon_name.png" ] ||
  fail "the desktop entry shows the icon $icon_name, which the package does not install"
for program in quintara quintara-instrument-sim; do
  file -b "$work/root/usr/bin/$program" | grep -q ', stripped' || fail "/usr/bin/$program is not stripped"
done
for size in 16 22 24 32 48 64 128 256; do
  file -b "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" | grep -q "PNG image data, $size x $size," ||
    fail "the ${size}x$size icon is not $size pixels square"
done
file -b "$work/root/usr/share/icons/hicolor/scalable/apps/$id.svg" | grep -q "SVG Scalable Vector Graphics image" ||
  fail "the scalable icon is no SVG picture"
# Every version in it is the changelog's: the changelog itself, the AppStream
# data's newest release, the manual pages' header.
zcat "$work/root/usr/share/doc/quintara/changelog.Debian.gz" | cmp -s - packaging/changelog ||
  fail "the installed changelog is not packaging/changelog"
release=$(grep -o -m 1 '<release [^>]*>' "$work/root/usr/share/metainfo/$id.metainfo.xml" || true)
[ "$release" = "<release version=\"$version\" date=\"$release_date\">" ] ||
  fail "the AppStream data's newest release is $release, not $version of $release_date"
for page in quintara quintara-instrument-sim; do
  zcat "$work/root/usr/share/man/man1/$page.1.gz" | head -n 1 | grep -qF "\"$release_date\" \"Quintara $version\"" ||
    fail "the header of $page(1) does not name $release_date and Quintara $version"
  # Every warning and style note of mandoc, lines longer than 80 columns too.
  lint=$(zcat "$work/root/usr/share/man/man1/$page.1.gz" | mandoc -Tlint -W style 2>&1 || true)
  [ -z "$lint" ] || fail "mandoc -Tlint on $page(1): $lint"
done
# Education with Science: the science programs' place in the LXDE, MATE,
# GNOME and Xfce menus.
grep -qx 'Categories=Education;Science;.*' "$work/root/usr/share/applications/$id.desktop" ||
  fail "the desktop entry's Categories do not begin with Education;Science;"

# --- installed ---------------------------------------------------------------------
dpkg-query -W -f='${Package}\n' | sort >"$work/before"
installed=1
if ! "${apt_get[@]}" install --no-install-recommends "$deb" >"$work/install.log" 2>&1; then
  # A fresh machine may not have the lists the dependencies come from yet.
  "${apt_get[@]}" update >/dev/null
  "${apt_get[@]}" install --no-install-recommends "$deb" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log" >&2; fail "apt-get install $deb failed"; }
fi
is_installed || fail "quintara is not installed after apt-get install"
[ "$(command -v quintara)" = /usr/bin/quintara ] || fail "quintara is not /usr/bin/quintara on the PATH"
man -w quintara >/dev/null && man -w quintara-instrument-sim >/dev/null || fail "the manual pages are not found"

# A normal user (nobody, when this runs as root) with a home of its own, in a
# folder of its own, with no display at all.
home="$work/home"
elsewhere="$work/elsewhere"
mkdir "$home" "$elsewhere"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown nobody: "$home" "$elsewhere"
  as_user=(setpriv --reuid=nobody --regid="$(id -gn nobody)" --clear-groups --)
  "${as_user[@]}" test -w "$home" ||
    fail "nobody cannot reach $home: the temporary folder must be open to every user, as /tmp is"
fi
run_as_user() {
  (cd "$elsewhere" && exec "${as_user[@]}" env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@")
}

expect_answer() { # program option text...: status 0 and each text on standard output
  local program=$1 option=$2
  shift 2
  local status=0
  run_as_user "$program" "$option" >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq 0 ] || { cat "$work/err" >&2; fail "$program $option ended with status $status"; }
  for text in "$@"; do
    grep -qF -- "$text" "$work/out" || { cat "$work/out" >&2; fail "$program $option does not say $text"; }
  done
}
expect_answer quintara --version "quintara $version"
[ "$(cat "$work/out")" = "quintara $version" ] || fail "quintara --version says $(cat "$work/out"), not $version"
expect_answer quintara --help --home --help --version QUINTARA_HOME QUINTARA_COM
expect_answer quintara-instrument-sim --version "quintara-instrument-sim $version"
[ "$(cat "$work/out")" = "quintara-instrument-sim $version" ] ||
  fail "quintara-instrument-sim --version says $(cat "$work/out"), not $version"
expect_answer quintara-instrument-sim --help --model --replies --curve
# Refusals: one line of the program's own on standard error, nothing on
# standard output, and the status the manual page gives.
expect_refusal() { # status text program arguments...
  local expected=$1 text=$2
  shift 2
  local status=0
  run_as_user "$@" >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq "$expected" ] && [ ! -s "$work/out" ] && [ "$(wc -l <"$work/err")" -eq 1 ] &&
    grep -qF -- "$text" "$work/err" ||
    { cat "$work/err" >&2; fail "$* ended with $status, not $expected with one line naming $text"; }
}
expect_refusal 2 --frobnicate quintara --frobnicate
expect_refusal 1 "no display" quintara
# Whatever the argument holds, the refusal is one line.
expect_refusal 2 '\n--help' quintara $'--x\n--help'
expect_refusal 2 '\n--help' quintara-instrument-sim $'--x\n--help'
# An answer that could not be written whole is no answer.
for program in quintara quintara-instrument-sim; do
  for option in --help --version; do
    status=0
    run_as_user "$program" "$option" >/dev/full 2>"$work/err" || status=$?
    [ "$status" -eq 1 ] && [ "$(wc -l <"$work/err")" -eq 1 ] && grep -qF 'could not be written' "$work/err" ||
      { cat "$work/err" >&2; fail "$program $option on a full disk ended with $status, not 1 with one line"; }
  done
done
[ -z "$(find "$home" "$elsewhere" -mindepth 1 -print -quit)" ] ||
  fail "--help, --version or a refused start left files behind: $(find "$home" "$elsewhere" -mindepth 1)"

# The program itself, on Qt's display-less platform: its program folder is
# the user's own, it writes nothing into the folder it was started from, and
# the installed files stay as installed. It is ended at its first window.
(cd "$elsewhere" && exec "${as_user[@]}" env -i HOME="$home" PATH=/usr/bin:/bin LANG=C.UTF-8 \
  QT_QPA_PLATFORM=offscreen quintara >"$work/run.log" 2>&1) &
pid=$!
for _ in $(seq 300); do
  [ -e "$home/.local/share/quintara/QUINTARA.LCK" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -TERM "$pid" 2>/dev/null || true
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -KILL "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
[ -d "$home/.local/share/quintara" ] || { cat "$work/run.log" >&2; fail "no program folder in ~/.local/share/quintara"; }
[ -z "$(ls -A "$elsewhere")" ] || fail "the program wrote into the folder it was started from: $(ls -A "$elsewhere")"
"${as_root[@]}" dpkg --verify quintara || fail "the installed files changed"

# --- removed ---------------------------------------------------------------------
"${apt_get[@]}" remove quintara >/dev/null || fail "apt-get remove quintara failed"
# Without configuration files of its own the package is gone with the removal;
# a purge is then refused as of a package apt does not know.
if dpkg-query -W quintara >/dev/null 2>&1; then
  "${apt_get[@]}" purge quintara >/dev/null || fail "apt-get purge quintara failed"
fi
for path in "${expected[@]}"; do
  [ ! -e "$path" ] || fail "$path is left after the removal"
done
dpkg-query -W -f='${Package}\n' | sort >"$work/after"
mapfile -t brought < <(comm -13 "$work/before" "$work/after")
if [ ${#brought[@]} -gt 0 ]; then
  "${apt_get[@]}" purge "${brought[@]}" >/dev/null || fail "the packages the install brought could not be removed"
fi
dpkg-query -W -f='${Package}\n' | sort >"$work/after"
diff -u "$work/before" "$work/after" || fail "the installed packages differ from before the check"
installed=0
echo "check-package: all checks passed"
