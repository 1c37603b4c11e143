#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks that the plug-ins are
# registered and the machine values written, then runs the registered
# uninstall command and checks that it removes what the installation placed.
# Arguments: BUILD_FOLDER TEST_PLUGIN
set -euo pipefail
build="$1"
plugin="$2"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
unset MOVANTA_REGISTRY_DIR

fail() { echo "FAIL: $*"; exit 1; }

# A plug-in placed before the install is registered by it.
mkdir -p "$prefix/lib/movanta/plugins"
cp "$plugin" "$prefix/lib/movanta/plugins/"
cmake --install "$build" --prefix "$prefix" > "$prefix/install.log" || fail "install: $(cat "$prefix/install.log")"
grep -q "registered $(basename "$plugin")" "$prefix/install.log" || fail "plug-in not registered at install"

classes="$prefix/lib/movanta/registry/HKEY_CLASSES_ROOT.reg"
grep -q "Movanta test counter" "$classes" || fail "the plug-in's class is not registered: $(cat "$classes")"
grep -q "$prefix/lib/movanta/plugins/$(basename "$plugin")" "$classes" || fail "wrong plug-in path: $(cat "$classes")"
"$prefix/bin/movanta-convert" --help | grep -q "usage: movanta-convert" || fail "movanta-convert does not run"

# What ships beside the program, in the application folder and for the desktop.
for file in lib/movanta/Movanta.zsp lib/movanta/liblangtext.so lib/movanta/libinstallation.so \
  lib/movanta/Localization/en/LC_MESSAGES/movanta.mo lib/movanta/Localization/de/LC_MESSAGES/movanta.mo \
  lib/movanta/Localization/fr/LC_MESSAGES/movanta.mo lib/movanta/Localization/Movanta.html \
  share/applications/movanta.desktop share/icons/hicolor/scalable/apps/movanta.svg \
  share/icons/hicolor/48x48/apps/movanta.png share/icons/hicolor/256x256/apps/movanta.png; do
  [ -s "$prefix/$file" ] || fail "not installed: $file"
done

hive="$prefix/lib/movanta/registry/HKEY_LOCAL_MACHINE.reg"
grep -q "\"AppPath\"=sz:\"$prefix/lib/movanta\"" "$hive" || fail "AppPath missing: $(cat "$hive")"
uninstall=$(sed -n 's/^"UninstallString"=sz:"\(.*\)"$/\1/p' "$hive" | sed 's/\\"/"/g')
[ -n "$uninstall" ] || fail "UninstallString missing"

# The registered command, run as the uninstaller runs it: through the shell.
sh -c "$uninstall" > "$prefix/uninstall.log" || fail "uninstall: $(cat "$prefix/uninstall.log")"
grep -q "unregistered $(basename "$plugin")" "$prefix/uninstall.log" || fail "plug-in not unregistered"
rm "$prefix/install.log" "$prefix/uninstall.log" "$prefix/lib/movanta/plugins/$(basename "$plugin")"
left=$(find "$prefix" -mindepth 1 -not -type d)
[ -z "$left" ] || fail "left behind: $left"
echo "1 passed, 0 failed"
