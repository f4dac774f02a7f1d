# Sourced by the installers: install_missing MODE MESSAGE PACKAGE... installs
# the Debian packages not yet there. MODE "strict" stops on a failure (the
# build cannot go on without them); "lenient" says so and lets the caller go
# on with what is present.
install_missing() {
  local mode=$1 message=$2
  shift 2
  local missing=() p
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  echo "$message : ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      if [ "$mode" = strict ]; then
        echo "sudo est absent : lancez ce script en tant que root (su -c $0)." >&2
        return 1
      fi
      echo "sudo est absent : la suite tourne sans les paquets manquants." >&2
      return 0
    fi
    sudo="sudo"
  fi
  export DEBIAN_FRONTEND=noninteractive
  if [ "$mode" = strict ]; then
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  elif ! { $sudo apt-get update -qq && $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"; }; then
    echo "Installation incomplète : la suite tourne avec ce qui est présent." >&2
  fi
}
