#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 pikorama contributors
# SPDX-License-Identifier: GPL-3.0-or-later
# check_package.sh STEP: one part of the Debian package's checks (see
# CMakeLists.txt beside this file). Exit 77 means skipped.
set -euo pipefail
step=$1
[[ -n "${RESULTS:-}" ]] && rm -f "$RESULTS"
deb="$PACKAGE_DIR/pikorama_${PIKORAMA_VERSION}_amd64.deb"
app=org.pikorama.Pikorama

fail() { echo "FAIL: $*" >&2; exit 1; }
skip() {
  echo "SKIP: $*"
  if [[ -n "${RESULTS:-}" ]]; then
    mkdir -p "$(dirname "$RESULTS")"
    echo "SKIP   : package_$step() $*" > "$RESULTS"
  fi
  exit 77
}
need() { command -v "$1" >/dev/null || skip "$1 is not installed"; }

# A fresh folder that goes when the step ends.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# What package_build needs; where it skipped, so do the others.
need_package_tools() {
  need dpkg-deb
  need dpkg-shlibdeps
}
have_deb() {
  need_package_tools
  [[ -f "$deb" ]] || fail "no package $deb (did package_build run?)"
}
unpack() {
  have_deb
  dpkg-deb -x "$deb" "$scratch/root"
}
# The width and height a PNG file's header gives, as "WxH".
png_size() {
  local w h
  w=$(od -An -tu1 -j16 -N4 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
  h=$(od -An -tu1 -j20 -N4 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
  echo "${w}x${h}"
}

case "$step" in
build)
  need_package_tools
  rm -rf "$PACKAGE_DIR"
  mkdir -p "$PACKAGE_DIR"
  cpack --config "$BUILD_DIR/CPackConfig.cmake" -B "$PACKAGE_DIR"
  [[ -f "$deb" ]] || fail "cpack made no $deb"
  ;;

contents)
  have_deb
  dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's|^\./|/|' > "$scratch/list"
  for path in /usr/bin/pikorama \
              /usr/share/applications/$app.desktop \
              /usr/share/metainfo/$app.metainfo.xml \
              /usr/share/icons/hicolor/{48x48,64x64,128x128,256x256}/apps/pikorama.png \
              /usr/share/icons/hicolor/scalable/apps/pikorama.svg \
              /usr/share/doc/pikorama/copyright /usr/share/doc/pikorama/changelog.gz \
              /usr/share/man/man1/pikorama.1.gz "$MODULE_DIR/libpikorama-media.so"; do
    grep -qxF "$path" "$scratch/list" || fail "the package lacks $path"
  done
  # Removing the package must leave nothing behind: every file is the
  # package's own under /usr, and no script makes others.
  if grep -v '^/usr/' "$scratch/list" | grep -q .; then fail "files outside /usr: $(grep -v '^/usr/' "$scratch/list")"; fi
  dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -E '/(pre|post)(inst|rm)$' && fail "the package carries maintainer scripts"
  [[ $(dpkg-deb -f "$deb" Package) == pikorama ]] || fail "package name"
  [[ $(dpkg-deb -f "$deb" Version) == "$PIKORAMA_VERSION" ]] || fail "version is not the project's"
  [[ $(dpkg-deb -f "$deb" Section) == education ]] || fail "section"
  depends=$(dpkg-deb -f "$deb" Depends)
  for pkg in libqt6widgets6 fonts-ipafont-gothic qt6-translations-l10n \
             gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav; do
    [[ ", $depends," == *", $pkg"[\ ,]* ]] || fail "Depends lacks $pkg: $depends"
  done
  # Each icon is drawn at the size its folder says.
  dpkg-deb -x "$deb" "$scratch/root"
  for size in 48 64 128 256; do
    got=$(png_size "$scratch/root/usr/share/icons/hicolor/${size}x${size}/apps/pikorama.png")
    [[ $got == "${size}x${size}" ]] || fail "the ${size}x${size} icon is $got"
  done
  ;;

metadata)
  unpack
  need desktop-file-validate
  need appstreamcli
  desktop="$scratch/root/usr/share/applications/$app.desktop"
  metainfo="$scratch/root/usr/share/metainfo/$app.metainfo.xml"
  desktop-file-validate "$desktop"
  appstreamcli validate --no-net "$metainfo"
  # The entry starts the installed program with the installed icon, and the
  # metadata names the entry.
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [[ -x "$scratch/root/usr/bin/$exec_name" ]] || fail "Exec=$exec_name is not in the package"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [[ -f "$scratch/root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ]] || fail "Icon=$icon is not in the package"
  grep -qF "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$metainfo" || fail "metainfo names another desktop entry"
  grep -qF "<release version=\"$PIKORAMA_VERSION\"" "$metainfo" || fail "metainfo names another version"
  # With the project's web address given, the metadata shows the committed
  # screenshot, and still validates.
  cmake -DPIKORAMA_VERSION="$PIKORAMA_VERSION" -DPIKORAMA_RELEASE_DATE="$PIKORAMA_RELEASE_DATE" \
        -DPIKORAMA_WEB_URL=https://example.org/pikorama -DOUTPUT="$scratch/$app.metainfo.xml" \
        -P "$SOURCE_DIR/packaging/MetaInfo.cmake"
  appstreamcli validate --no-net "$scratch/$app.metainfo.xml"
  shot=$(sed -n 's|.*<image[^>]*>https://example.org/pikorama/\(.*\)</image>.*|\1|p' "$scratch/$app.metainfo.xml")
  [[ -n "$shot" && -f "$SOURCE_DIR/packaging/$shot" ]] || fail "the screenshot '$shot' is not under packaging/"
  ;;

lintian)
  have_deb
  need lintian
  lintian --tag-display-limit 0 -I "$deb" > "$scratch/lintian" 2>&1 || true
  cat "$scratch/lintian"
  if grep -q '^E:' "$scratch/lintian"; then fail "lintian reports errors"; fi
  # The licence and copyright file are as Debian asks, to the last tag.
  if grep -Eq '^[EWI]: .*(licen[cs]e|copyright)' "$scratch/lintian"; then fail "lintian questions the licence"; fi
  ;;

start)
  unpack
  # The installed program comes up and keeps running with its main window,
  # with the system's Qt and nothing from the build folder: after five
  # seconds it is still there to be stopped, and it made its data root.
  mkdir -p "$scratch/c" "$scratch/run"
  chmod 700 "$scratch/run"
  rc=0
  (cd "$scratch" && env -i PATH=/usr/bin:/bin HOME="$scratch" QT_QPA_PLATFORM=offscreen \
     PIKORAMA_DRIVE_C="$scratch/c" XDG_RUNTIME_DIR="$scratch/run" \
     timeout 5 "$scratch/root/usr/bin/pikorama" 2>"$scratch/stderr") || rc=$?
  [[ $rc == 124 ]] || fail "the installed program ended by itself ($rc): $(cat "$scratch/stderr")"
  [[ -d "$scratch/c/A_PIKORA" ]] || fail "the installed program made no data root: $(cat "$scratch/stderr")"
  # Sound and video come from the program's media module, loaded on first
  # use, so start-up never loads their libraries: the program does not link
  # them, the module is where the installed program looks for it, and it
  # loads with the system's libraries alone.
  if needed=$(LC_ALL=C readelf -d "$scratch/root/usr/bin/pikorama" | grep -E 'NEEDED.*(Multimedia|sndfile|samplerate|gst)'); then
    fail "the program itself links sound or video libraries: $needed"
  fi
  module=$(grep -ao '/\.\./[./a-z_0-9-]*libpikorama-media\.so' "$scratch/root/usr/bin/pikorama" | head -n 1)
  [[ -n "$module" && -f "$scratch/root/usr/bin/$module" ]] || fail "the program looks for its media module at '$module', which the package lacks"
  env -i PATH=/usr/bin:/bin ldd -r "$scratch/root/usr/bin/$module" > "$scratch/ldd" 2>&1 || fail "the media module does not load: $(cat "$scratch/ldd")"
  if grep -Eq 'not found|undefined symbol' "$scratch/ldd"; then fail "the media module does not load: $(cat "$scratch/ldd")"; fi
  ;;

*)
  fail "unknown step $step"
  ;;
esac
echo "package_$step: ok"
