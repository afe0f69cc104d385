# Sourced by the scripts that install packages from Debian's archive.
# olvan_apt_install PACKAGE...: installs them, as root or through sudo; without
# either it says what to run as root and fails.
olvan_apt_install() {
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
      echo "Missing packages: $*. As root: apt-get update && apt-get install -y $*" >&2
      return 1
    fi
    sudo=(sudo)
  fi
  echo "Installing $* with apt-get"
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}
