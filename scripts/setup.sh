# Shared by movanta.sh and test.sh: installs the Debian packages that are
# missing, then configures and builds one build folder. Quick when nothing
# changed: no package step when all are present, ninja rebuilds nothing.

MOVANTA_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev
  libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libopencore-amrnb-dev libsdl2-dev
  qt6-base-dev qt6-svg-dev qt6-qpa-plugins fonts-dejavu-core libxcb1-dev gettext
)
# What the tests add: a private X server, a compositing manager and a
# mouse driver for the tests that need a real display, the desktop entry's
# validator, and dpkg-shlibdeps for the Debian package.
MOVANTA_TEST_PACKAGES=(xvfb picom xdotool desktop-file-utils dpkg-dev)

# movanta_install_packages [extra packages...]
movanta_install_packages() {
  local missing=()
  local package
  for package in "${MOVANTA_PACKAGES[@]}" "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# movanta_build FOLDER [cmake options...]
movanta_build() {
  local folder="$1"
  shift
  if [ ! -f "$folder/build.ninja" ]; then
    cmake -S . -B "$folder" -G Ninja "$@"
  fi
  cmake --build "$folder"
}

# movanta_install BUILD_FOLDER PREFIX: installs, registers the plug-ins and
# writes the machine values (see packaging/).
movanta_install() {
  cmake --install "$1" --prefix "$(realpath -m "$2")" > /dev/null
}
