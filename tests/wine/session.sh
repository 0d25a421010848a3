# The Wine session of the Wine test scripts (tools/wine-scenarios, tools/wine-conformance),
# sourced by them: one work folder, one Xvfb, one prepared template prefix, and a fresh
# prefix per run copied from the template, each with a server of its own. Everything the
# session started is stopped and removed when the script ends, however it ends.
#
# Facts relied on (Wine 8): a wineserver started without DISPLAY keeps giving message boxes
# no display, so Xvfb runs before the first Wine process; boxes close quickly only without a
# managed window (X11 Driver "Managed"="N"); a prepared prefix copied works without a new
# wineboot; the server of a prefix lives in a folder of its own, keyed by the prefix folder.

wine_bin=$root/build/mingw-x64/bin
wine_jobs=$(nproc)
work=""
xvfb_pid=""

# Wine refuses nothing to root: as root the runs are made by an unprivileged user, so that
# the owner write permission means a read-only file or medium, as the attribute means on
# Windows.
if [[ $(id -u) -eq 0 ]]; then
  wine_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
  wine_user=()
fi

export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
unset TEMP TMP

require_wine_tools() {
  local tool missing=()
  for tool in wine wineserver Xvfb "$@"; do
    command -v "$tool" >/dev/null || missing+=("$tool")
  done
  ((${#missing[@]} == 0)) || { echo "missing: ${missing[*]}"; exit 2; }
  [[ -x $wine_bin/box_watcher.exe ]] ||
    { echo "build the mingw-x64 preset first ($wine_bin)"; exit 2; }
}

# A command in the current prefix ($prefix), as the Wine user; wine and wineserver so.
as_wine() { "${wine_user[@]}" env HOME="$work/home" WINEPREFIX="$prefix" "$@"; }
wine() { as_wine wine "$@"; }
wineserver() { as_wine wineserver "$@"; }

windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }

give_to_wine_user() {
  [[ $(id -u) -ne 0 ]] || chown -R nobody:nogroup "$@"
}

start_server() { local prefix=$1; wineserver -p; }

stop_server() {
  local prefix=$1
  [[ -e $prefix/system.reg ]] || return 0
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
}

stop_prefix() {
  stop_server "$1"
  chmod -R u+w "$(dirname "$1")" 2>/dev/null || true
  rm -rf "$(dirname "$1")"
}

start_xvfb() {
  local display_file=$work/display
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$display_file" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  local tries=0
  until [[ -s $display_file ]]; do
    ((tries++ < 100)) || { echo "Xvfb did not start: $(tail -n 1 "$work/xvfb.log")"; exit 2; }
    sleep 0.1
  done
  export DISPLAY=:$(<"$display_file")
}

# The template: booted once per session, with the fast-box setting.
prepare_template() {
  local prefix=$work/template
  wine wineboot --init >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  wineserver -w
  touch "$prefix/.prepared"
}

# A fresh prefix: Wine's own folder linked (it is large and no run writes in it, as
# check_template makes sure), everything else copied.
new_prefix() {
  local template=$work/template
  mkdir -p "$1/drive_c"
  (cd "$template" && find . -mindepth 1 -maxdepth 1 ! -name drive_c -exec cp -a {} "$1/" \;)
  (cd "$template/drive_c" &&
    find . -mindepth 1 -maxdepth 1 ! -name windows -exec cp -a {} "$1/drive_c/" \;)
  cp -al "$template/drive_c/windows" "$1/drive_c/windows"
}

check_template() {
  local changed
  changed=$(find "$work/template/drive_c/windows" -newer "$work/template/.prepared" | head -n 3)
  [[ -z $changed ]] || { echo "a run changed Wine's own files: $changed"; return 1; }
}

end_wine_session() {
  [[ -n $work && -d $work ]] || return 0
  local server
  for server in "$work"/template "$work"/runs/*/prefix; do
    [[ -d $server ]] && stop_server "$server"
  done
  [[ -z $xvfb_pid ]] || kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}

start_wine_session() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/orv-wine.XXXXXX")
  trap end_wine_session EXIT
  trap 'exit 130' INT TERM
  chmod 755 "$work"
  mkdir -p "$work/home" "$work/runs" "$work/template"
  give_to_wine_user "$work/home" "$work/runs" "$work/template"
  start_xvfb
  prepare_template
}
