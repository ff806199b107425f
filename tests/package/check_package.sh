#!/usr/bin/env bash
# check_package.sh <build dir> <scratch dir>: makes the Debian package of the
# build with cpack, checks its control fields and contents against the games
# the build holds (package/games.tsv), validates every desktop entry and
# AppStream file, and installs it with dpkg into <scratch dir>/root for the
# launch test.
# check_package.sh --remove <scratch dir>: removes it again with dpkg and
# checks that nothing is left behind.
set -euo pipefail
fail() { echo "check_package: $*" >&2; exit 1; }
dpkg_root() { dpkg --root="$1" --force-depends --force-not-root "${@:2}"; }

if [[ $1 == --remove ]]; then
  root=$2/root
  rm -f "$root/usr/share/fonts"
  dpkg_root "$root" --purge hopgames >/dev/null
  left=$(cd "$root" && find . -mindepth 1 -not -path './var' -not -path './var/lib' -not -path './var/lib/dpkg*')
  [[ -z $left ]] || fail "left behind after removal: $left"
  echo "check_package: removal leaves nothing behind"
  exit 0
fi
build=$1 scratch=$2
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup installs it)"
done

rm -rf "$scratch"
mkdir -p "$scratch"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
debs=("$scratch"/out/hopgames_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "expected one hopgames_<version>_<arch>.deb, got: ${debs[*]}"
deb=${debs[0]}
[[ $(basename "$deb") == hopgames_*_$(dpkg --print-architecture).deb ]] || fail "badly named $(basename "$deb")"

# Control fields: runtime libraries only, never a -dev package.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for lib in libsdl2-2.0-0 libstdc++6 libc6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib"
done
! grep -q -- '-dev\b' <<<"$depends" || fail "Depends names a -dev package"
[[ $(dpkg-deb -f "$deb" Section) == games ]] || fail "Section is not games"
# Nothing runs at install or removal time, so removal leaves nothing behind.
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | sort | tr '\n' ' ')
[[ $control == "control md5sums " ]] || fail "unexpected control files: $control"

list=$(dpkg-deb -c "$deb")
outside=$(awk '{print $6}' <<<"$list" | grep -v '^\./$' | grep -v '^\./usr/' || true)
[[ -z $outside ]] || fail "files outside /usr: $outside"
owners=$(awk '{print $2}' <<<"$list" | sort -u)
[[ $owners == root/root ]] || fail "files not owned by root: $owners"

root=$scratch/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg_root "$root" -i "$deb" >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log" >&2; fail "dpkg -i failed"; }
# Fonts are links into the font packages, which the package depends on.
[[ -e $root/usr/share/fonts ]] || ln -s /usr/share/fonts "$root/usr/share/fonts"
while IFS= read -r link; do
  [[ -f $link ]] || fail "${link#"$root"} leads nowhere"
  font=$(readlink -f "$link")
  owner=$(dpkg -S "${font#"$root"}" 2>/dev/null | cut -d: -f1 || true)
  [[ -n $owner ]] && grep -q "\b$owner\b" <<<"$depends" || fail "${link#"$root"}: no dependency on its font's package ($owner)"
done < <(find "$root/usr/share/games" -type l)
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3*256+$4 "x" $7*256+$8}'; }
n=0
while IFS=$'\t' read -r game id title quit; do
  n=$((n + 1))
  [[ -x $root/usr/games/$game ]] || fail "$game: no launcher /usr/games/$game"
  [[ -x $root/usr/lib/games/$game/$game ]] || fail "$game: no program /usr/lib/games/$game/$game"
  [[ -f $root/usr/share/man/man6/$game.6.gz ]] || fail "$game: no manual page"
  gzip -t "$root/usr/share/man/man6/$game.6.gz" || fail "$game: bad manual page"
  # Its controls table (made from its controls file) is set without a warning.
  if command -v groff >/dev/null; then
    warnings=$(gzip -dc "$root/usr/share/man/man6/$game.6.gz" | LC_ALL=C.UTF-8 groff -t -man -Tutf8 -ww -z 2>&1)
    [[ -z $warnings ]] || fail "$game: the manual page has faults: $warnings"
    page=$(gzip -dc "$root/usr/share/man/man6/$game.6.gz" | LC_ALL=C.UTF-8 groff -t -man -Tutf8 -P-bou 2>/dev/null)
    grep -q 'Keys  *Controller  *Effect' <<<"$page" || fail "$game: the manual page lists no controls"
  fi
  # Every file of the game's stage folder but the program, read-only.
  stage=$build/stage/$game
  while IFS= read -r f; do
    [[ $(basename "$f") == "$game" && -x $stage/$f ]] && continue
    [[ -f $root/usr/share/games/$game/$f ]] || fail "$game: $f is not under /usr/share/games/$game"
  done < <(cd "$stage" && find . -type f | sed 's|^\./||')
  writable=$(find "$root/usr/share/games/$game" -type f -perm /0133 | head -n 3)
  [[ -z $writable ]] || fail "$game: files with odd permissions: $writable"
  for size in 48 128 256; do
    icon=$root/usr/share/icons/hicolor/${size}x$size/apps/$game.png
    [[ -f $icon ]] || fail "$game: no ${size}px icon"
    [[ $(png_size "$icon") == "${size}x$size" ]] || fail "$game: $icon is $(png_size "$icon")"
  done
  desktop=$root/usr/share/applications/$id.desktop
  [[ -f $desktop ]] || fail "$game: no desktop entry $id.desktop"
  desktop-file-validate "$desktop" || fail "$game: desktop-file-validate rejects $id.desktop"
  grep -qx "Exec=$game" "$desktop" || fail "$game: the desktop entry does not start $game"
  grep -qx "Icon=$game" "$desktop" || fail "$game: the desktop entry names another icon"
  grep -qx "Categories=Game;ArcadeGame;" "$desktop" || fail "$game: categories"
  metainfo=$root/usr/share/metainfo/$id.metainfo.xml
  [[ -f $metainfo ]] || fail "$game: no metainfo $id.metainfo.xml"
  appstreamcli validate --no-net --no-color "$metainfo" || fail "$game: appstreamcli rejects $id.metainfo.xml"
  echo "$game: launcher, program, files, icons, desktop entry, metainfo and manual page"
done <"$build/package/games.tsv"
[[ $n -gt 0 ]] || fail "no game in $build/package/games.tsv"
echo "check_package: $n games in $(basename "$deb")"
