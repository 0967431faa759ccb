#!/usr/bin/env bash
# Builds the Debian package from a finished build tree, unpacks it into a scratch root with
# dpkg -x and checks what a user gets: the files, the computed dependencies, the desktop entry, the
# AppStream metainfo, the icons and man pages, and that the installed programs run.
#   check_package.sh BUILD_DIR VERSION
set -uo pipefail
build="$1"
version="$2"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
problems=0
fail() { echo "FAIL: $*"; problems=$((problems + 1)); }

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  echo "FAIL: cpack -G DEB"
  exit 1
fi
debs=("$scratch"/out/detection-workbench_"$version"_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { ls "$scratch/out"; echo "FAIL: no detection-workbench_${version}_ARCH.deb"; exit 1; }
deb="${debs[0]}"

# Computed dependencies: the C++ runtime and Qt's widgets, each a package this machine knows.
depends="$(dpkg-deb -f "$deb" Depends)"
names=" $(sed 's/([^)]*)//g; s/|/,/g; s/,/ /g' <<<"$depends" | tr -s ' ') "
for needed in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 fonts-dejavu-core; do
  [[ "$names" == *" $needed "* ]] || fail "Depends lacks $needed: $depends"
done
for name in $names; do
  dpkg -s "$name" >/dev/null 2>&1 || fail "dependency $name is not a package installed here"
done
[ "$(dpkg-deb -f "$deb" Package)" = detection-workbench ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"

root="$scratch/root"
dpkg -x "$deb" "$root" || { echo "FAIL: dpkg -x"; exit 1; }
id=org.detection_workbench.Workbench
for f in usr/bin/detection-workbench usr/bin/detection-batch \
         usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/detection-workbench.svg \
         usr/share/icons/hicolor/48x48/apps/detection-workbench.png \
         usr/share/icons/hicolor/128x128/apps/detection-workbench.png \
         usr/share/man/man1/detection-batch.1.gz usr/share/man/man1/detection-workbench.1.gz \
         usr/share/doc/detection-workbench/README.md usr/share/doc/detection-workbench/guide.md; do
  [ -s "$root/$f" ] || fail "missing $f"
done
# Every relative link of the installed README and guide leads to an installed file.
for doc in README.md guide.md; do
  for target in $(grep -o '](\([^)#: ]*\))' "$root/usr/share/doc/detection-workbench/$doc" 2>/dev/null \
                    | sed 's/^](//; s/)$//' | sort -u); do
    [ -e "$root/usr/share/doc/detection-workbench/$target" ] || fail "$doc links to $target, which is not installed beside it"
  done
done
# Every image the guide shows is in the package.
for image in $(grep -o 'images/[A-Za-z0-9_.-]*\.png' "$root/usr/share/doc/detection-workbench/guide.md" 2>/dev/null | sort -u); do
  [ -s "$root/usr/share/doc/detection-workbench/$image" ] || fail "the guide shows $image, which is not installed"
done

desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop-file-validate"
grep -qx "Exec=detection-workbench" "$root/usr/share/applications/$id.desktop" || fail "desktop entry Exec"
grep -qx "Icon=detection-workbench" "$root/usr/share/applications/$id.desktop" || fail "desktop entry Icon"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$scratch/as.log" 2>&1 \
  || { cat "$scratch/as.log"; fail "appstreamcli validate"; }
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" \
  || fail "the metainfo has no release $version (add one when the version changes)"
for size in 48 128; do
  file "$root/usr/share/icons/hicolor/${size}x${size}/apps/detection-workbench.png" | grep -q "$size x $size" \
    || fail "icon of $size px has another size"
done
for page in detection-batch detection-workbench; do
  out="$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -mdoc -ww -z 2>&1)"
  [ -z "$out" ] || fail "man page $page: $out"
done

# The installed programs run from the scratch root with the system's libraries alone.
for exe in detection-batch detection-workbench; do
  if ldd "$root/usr/bin/$exe" | grep -q "not found"; then fail "$exe: $(ldd "$root/usr/bin/$exe" | grep 'not found')"; fi
  if file "$root/usr/bin/$exe" | grep -q "not stripped"; then fail "$exe is not stripped"; fi
done
out="$("$root/usr/bin/detection-batch" alphabet --count 1 --length 4)" || fail "detection-batch alphabet exited with $?"
# The companion loads no window system; its pictures come from the drawing plug-in the package
# ships, found from the installed program's folder.
if ldd "$root/usr/bin/detection-batch" | grep -q "libQt6"; then fail "detection-batch links Qt"; fi
plugins=("$root"/usr/lib/detection-workbench/detection-batch-drawing.so "$root"/usr/lib/*/detection-workbench/detection-batch-drawing.so)
plugin=""
for candidate in "${plugins[@]}"; do [ -f "$candidate" ] && plugin="$candidate"; done
if [ -z "$plugin" ]; then
  fail "the drawing plug-in detection-batch-drawing.so is not in the package"
else
  if ldd "$plugin" | grep -q "not found"; then fail "the drawing plug-in: $(ldd "$plugin" | grep 'not found')"; fi
  "$root/usr/bin/detection-batch" process --length 600 --plot "$scratch/answer.png" >/dev/null 2>"$scratch/plot.err" \
    || fail "detection-batch process --plot: $(cat "$scratch/plot.err")"
  file "$scratch/answer.png" | grep -q "PNG image data, 1280 x 400" || fail "process --plot wrote no 1280 x 400 PNG"
  "$root/usr/bin/detection-batch" simulate --length 300 --noise-steps 2 --repeats 2 --json "$scratch/result.json" \
    >/dev/null 2>&1 || fail "detection-batch simulate --json"
  "$root/usr/bin/detection-batch" chart --input "$scratch/result.json" --output "$scratch/chart.png" \
    2>"$scratch/chart.err" || fail "detection-batch chart: $(cat "$scratch/chart.err")"
  [ -s "$scratch/chart.err" ] && fail "detection-batch chart wrote on standard error: $(cat "$scratch/chart.err")"
fi
grep -q '"wNumber": 1' <<<"$out" || fail "detection-batch alphabet printed: $out"
"$root/usr/bin/detection-batch" --version | grep -q "^detection-batch $version" || fail "detection-batch --version"
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$root/usr/bin/detection-workbench" --version \
  | grep -q "^detection-workbench $version" || fail "detection-workbench --version without a display"

if [ $problems -ne 0 ]; then
  echo "$problems problem(s) in $(basename "$deb")"
  exit 1
fi
echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Installed-Size) KiB installed; Depends: $depends"
