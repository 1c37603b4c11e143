#!/usr/bin/env bash
# Installs the build, checks what the installation placed (the plug-ins
# registered, the machine values and program ids written, the desktop's
# entries, icons and caches), runs the registered uninstall command as the
# uninstaller runs it and checks that it removed exactly what the install
# placed, leaving a file the user put into the installation's folders.
# Arguments: BUILD_FOLDER TEST_PLUGIN [PREFIX]
# Without PREFIX it installs into a temporary folder. With one (a system
# prefix such as /usr/local) it runs only as root and only when no
# Movanta is installed there; otherwise it reports itself skipped (77).
set -euo pipefail
build="$1"
plugin="$2"
work="$(mktemp -d)"
unset MOVANTA_REGISTRY_DIR

fail() { echo "FAIL: $*"; exit 1; }

if [ $# -ge 3 ]; then
  prefix="$3"
  if [ "$(id -u)" -ne 0 ]; then echo "SKIP: installing into $prefix needs root"; exit 77; fi
  if [ -e "$prefix/lib/movanta" ] || [ -e "$prefix/bin/movanta-setup" ]; then
    echo "SKIP: a Movanta is already installed in $prefix"; exit 77
  fi
  # Whatever happens, the system prefix is left as it was found: what the
  # uninstall command does not remove (after a failed install, say) goes
  # by the install's own log.
  trap '[ -x "$prefix/bin/movanta-setup" ] && "$prefix/bin/movanta-setup" uninstall > /dev/null 2>&1
        sed -n "s/^-- \(Installing\|Up-to-date\): //p" "$work/install.log" 2> /dev/null | xargs -r -d "\n" rm -f
        rm -rf "$prefix/lib/movanta" "$prefix/share/movanta"
        rm -rf "$work"' EXIT
else
  prefix="$work/prefix"
  trap 'rm -rf "$work"' EXIT
fi
# What the prefix holds before: its files and links, and its folders.
snapshot() {
  find "$prefix" -mindepth 1 -not -type d 2> /dev/null | sort > "$work/$1-files.txt" || true
  find "$prefix" -mindepth 1 -type d 2> /dev/null | sort > "$work/$1-folders.txt" || true
}
snapshot before

# A plug-in the user placed before the install is registered by it and
# kept by the uninstall.
user_plugin="$prefix/lib/movanta/plugins/$(basename "$plugin")"
user_folders=$(LC_ALL=C mkdir -pv "$(dirname "$user_plugin")" | sed "s/^mkdir: created directory '\(.*\)'$/\1/" | tac)
cp "$plugin" "$user_plugin"
# Installed twice, as a person may: the second install over the first.
cmake --install "$build" --prefix "$prefix" > "$work/install.log" || fail "install: $(cat "$work/install.log")"
cmake --install "$build" --prefix "$prefix" >> "$work/install.log" || fail "install again: $(cat "$work/install.log")"
grep -q "registered $(basename "$plugin")" "$work/install.log" || fail "plug-in not registered at install"

classes="$prefix/lib/movanta/registry/HKEY_CLASSES_ROOT.reg"
grep -q "Movanta test counter" "$classes" || fail "the plug-in's class is not registered: $(cat "$classes")"
grep -q "$user_plugin" "$classes" || fail "wrong plug-in path: $(cat "$classes")"
for id in Movanta.3GP Movanta.MP4; do
  grep -A1 -F "[$id\\shell\\open\\command]" "$classes" | grep -qF "@=sz:\"\\\"$prefix/bin/movanta\\\" \\\"%1\\\"\"" ||
    fail "no open command for $id: $(cat "$classes")"
  grep -A1 -F "[$id\\DefaultIcon]" "$classes" | grep -qF "$prefix/share/icons/hicolor/scalable/apps/movanta.svg" ||
    fail "no icon for $id"
done

# What ships beside the program, in the application folder and for the desktop.
for file in lib/movanta/Movanta lib/movanta/UninstallMovanta lib/movanta/Movanta.zsp lib/movanta/liblangtext.so \
  lib/movanta/libinstallation.so lib/movanta/Localization/en/LC_MESSAGES/movanta.mo \
  lib/movanta/Localization/de/LC_MESSAGES/movanta.mo lib/movanta/Localization/fr/LC_MESSAGES/movanta.mo \
  lib/movanta/Localization/Movanta.html share/applications/movanta.desktop \
  share/applications/movanta-uninstall.desktop share/icons/hicolor/scalable/apps/movanta.svg \
  share/icons/hicolor/48x48/apps/movanta.png share/icons/hicolor/256x256/apps/movanta.png; do
  [ -s "$prefix/$file" ] || fail "not installed: $file"
done
[ "$(readlink -f "$prefix/bin/movanta")" = "$prefix/lib/movanta/Movanta" ] || fail "bin/movanta does not lead to Movanta"
[ "$(readlink -f "$prefix/bin/movanta-uninstall")" = "$prefix/lib/movanta/UninstallMovanta" ] ||
  fail "bin/movanta-uninstall does not lead to UninstallMovanta"

# The desktop finds the entry for the phone formats and the icon by name.
if command -v update-desktop-database > /dev/null; then
  grep -q "^video/3gpp=.*movanta.desktop" "$prefix/share/applications/mimeinfo.cache" ||
    fail "the desktop's type cache does not list Movanta for video/3gpp"
fi
if command -v gtk-update-icon-cache > /dev/null; then
  grep -qa "movanta" "$prefix/share/icons/hicolor/icon-theme.cache" || fail "the icon cache does not hold movanta"
fi

# The installed converter runs from the prefix alone.
(cd "$work" && "$prefix/bin/movanta-convert" > convert.log 2>&1) || fail "movanta-convert: $(cat "$work/convert.log")"

hive="$prefix/lib/movanta/registry/HKEY_LOCAL_MACHINE.reg"
grep -q "\"AppPath\"=sz:\"$prefix/lib/movanta\"" "$hive" || fail "AppPath missing: $(cat "$hive")"
uninstall=$(sed -n 's/^"UninstallString"=sz:"\(.*\)"$/\1/p' "$hive" | sed 's/\\"/"/g')
[ -n "$uninstall" ] || fail "UninstallString missing"
placed=$(cat "$prefix/share/movanta/installed-files.txt")

# A user who may not change the prefix is told so, and nothing goes.
if [ "$(id -u)" -eq 0 ] && runuser -u nobody -- true 2> /dev/null; then
  chmod 755 "$work"
  runuser -u nobody -- "$prefix/bin/movanta-setup" uninstall > "$work/denied.log" 2>&1 && fail "uninstalled without rights"
  grep -q "which only an administrator may change.*Nothing was removed" "$work/denied.log" ||
    fail "no clear refusal: $(cat "$work/denied.log")"
  [ -x "$prefix/bin/movanta-convert" ] || fail "a refused uninstall removed files"
fi

# The registered command, run as the uninstaller runs it: through the shell
# (here with no display, so that it tells the result on the terminal only).
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM sh -c "$uninstall" > "$work/uninstall.log" 2>&1 ||
  fail "uninstall: $(cat "$work/uninstall.log")"
grep -q "^Movanta was removed from $prefix.$" "$work/uninstall.log" || fail "no result: $(cat "$work/uninstall.log")"
grep -q "unregistered $(basename "$plugin")" "$work/uninstall.log" || fail "plug-in not unregistered"
while read -r file; do
  [ ! -e "$file" ] && [ ! -L "$file" ] || fail "left behind: $file"
done <<< "$placed"
[ -f "$user_plugin" ] || fail "the user's file in the installation's folder was removed"
# The folders the user made for the file stay; with them gone, the prefix
# is as it was.
rm "$user_plugin"
while read -r folder; do
  [ -z "$folder" ] || rmdir "$folder" || fail "left in $folder: $(find "$folder")"
done <<< "$user_folders"
snapshot after
diff "$work/before-files.txt" "$work/after-files.txt" > "$work/diff.txt" || fail "files changed: $(cat "$work/diff.txt")"
diff "$work/before-folders.txt" "$work/after-folders.txt" > "$work/diff.txt" || fail "folders changed: $(cat "$work/diff.txt")"
echo "1 passed, 0 failed"
