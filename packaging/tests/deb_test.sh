#!/usr/bin/env bash
# The Debian package as a system administrator uses it: built from the
# install step, installed with apt-get (its dependencies found among
# Debian's packages), the built-in sample converted with
# /usr/bin/movanta-convert, Movanta started on a private X server and its
# window seen, the registered uninstall command removing the package, and
# nothing of it left under /usr. Needs root on Debian and no Movanta
# package installed: otherwise it is skipped (code 77).
# Usage: deb_test.sh BUILD_FOLDER
set -euo pipefail
build="$(realpath "$1")"
cd "$(dirname "$0")/../.."
if [ "$(id -u)" -ne 0 ] || ! command -v apt-get > /dev/null || ! command -v dpkg-shlibdeps > /dev/null; then
  echo "skipped: needs root, apt-get and dpkg-dev"
  exit 77
fi
if dpkg-query -W -f='${Status}' movanta 2> /dev/null | grep -q "^install ok installed"; then
  echo "skipped: a Movanta package is installed here"
  exit 77
fi
work="$(mktemp -d)"
# Whatever happens, the package goes again.
trap 'pkill -f /usr/lib/movanta/Movanta 2>/dev/null || true
      dpkg --purge movanta > /dev/null 2>&1 || true; rm -rf "$work"' EXIT
unset MOVANTA_REGISTRY_DIR
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"
mkdir -p -m 700 "$XDG_RUNTIME_DIR" "$HOME"
fail() { echo "FAIL: $*"; exit 1; }

package="$(packaging/deb.sh "$build" "$work")" || fail "the package was not built"
dpkg-deb --field "$package" Depends | grep -q "libavcodec" || fail "no library dependencies: $(dpkg-deb --field "$package" Depends)"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$package" > "$work/apt.log" 2>&1 ||
  fail "apt-get install: $(tail -5 "$work/apt.log")"
dpkg -L movanta > "$work/files"
[ -x /usr/bin/movanta ] && [ -x /usr/lib/movanta/Movanta ] || fail "the programs are not in /usr"
grep -q "UninstallString" /usr/lib/movanta/registry/HKEY_LOCAL_MACHINE.reg || fail "no machine values written"

(cd "$work" && TMPDIR="$work" /usr/bin/movanta-convert > "$work/convert.log" 2>&1) || fail "the sample: $(cat "$work/convert.log")"
grep -q "The sample converted for phone 0 is" "$work/convert.log" || fail "the sample: $(cat "$work/convert.log")"

# Movanta starts from /usr/bin and shows its window.
"$(pwd)/platform/ui/tests/on_xvfb.sh" bash -c '
  /usr/bin/movanta > "$0/movanta.log" 2>&1 &
  for _ in $(seq 200); do
    xdotool search --onlyvisible --name "^Movanta\$" > /dev/null 2>&1 && exit 0
    sleep 0.1
  done
  echo "FAIL: no Movanta window: $(cat "$0/movanta.log")"; exit 1' "$work"
pkill -f /usr/lib/movanta/Movanta 2> /dev/null || true
for _ in $(seq 50); do pgrep -f /usr/lib/movanta/Movanta > /dev/null || break; sleep 0.1; done

# The registered uninstall command removes the package (as root, no
# password is asked).
command="$(sed -n 's/^"UninstallString"=sz:"\(.*\)"$/\1/p' /usr/lib/movanta/registry/HKEY_LOCAL_MACHINE.reg | sed 's/\\"/"/g')"
[ -n "$command" ] || fail "no UninstallString"
eval "$command" > "$work/uninstall.log" 2>&1 || fail "the uninstall command: $(cat "$work/uninstall.log")"
grep -q "Movanta was removed (package movanta)" "$work/uninstall.log" || fail "$(cat "$work/uninstall.log")"
dpkg-query -W -f='${Status}' movanta 2> /dev/null | grep -q "^install ok installed" && fail "the package is still installed"
dpkg --purge movanta > /dev/null
left=""
while read -r path; do
  [ -f "$path" ] && left="$left $path"
  [ -d "$path" ] && [[ "$path" == /usr/lib/movanta* || "$path" == /usr/share/movanta* ]] && left="$left $path"
done < "$work/files"
[ -e /usr/lib/movanta ] && left="$left /usr/lib/movanta"
[ -z "$left" ] || fail "left behind:$left"
echo "PASS: built, installed, converted, started and removed"
