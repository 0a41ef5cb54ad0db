# Sourced by the scripts that start a program (not run by itself): without a
# desktop session (root on a console, ssh) XDG_RUNTIME_DIR is not set and Qt
# warns at every start. Gives such a shell a private one: mode 0700, owned by
# this user, kept under the temporary folder between runs.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="${TMPDIR:-/tmp}/zv-runtime-$(id -u)"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR" 2>/dev/null || true
  if [ ! -d "$XDG_RUNTIME_DIR" ] || [ -L "$XDG_RUNTIME_DIR" ] || [ ! -O "$XDG_RUNTIME_DIR" ]; then
    # Somebody else's (or not a folder): a fresh one of our own.
    XDG_RUNTIME_DIR=$(mktemp -d "${TMPDIR:-/tmp}/zv-runtime.XXXXXX")
  fi
  chmod 700 "$XDG_RUNTIME_DIR"
  export XDG_RUNTIME_DIR
fi
