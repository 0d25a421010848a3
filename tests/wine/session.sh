# The Wine session of the Wine test scripts (tools/wine-scenarios, tools/wine-conformance),
# sourced by them: one work folder, one Xvfb, one prepared template prefix, and a fresh
# prefix per run copied from the template, each with a server of its own. Everything the
# session started is stopped and removed when the script ends, however it ends.
#
# Facts relied on (Wine 8): a wineserver started without DISPLAY keeps giving message boxes
# no display, so Xvfb runs before the first Wine process; boxes close quickly only without a
# managed window (X11 Driver "Managed"="N"); a prepared prefix copied works without a new
# wineboot; the server of a prefix lives in a folder of its own, keyed by the prefix folder.
#
# The programs run through Wine's 64-bit loader. Debian's `wine` command prefers the 32-bit
# loader whenever 32-bit Wine is installed, and that loader is a 32-bit Linux program, which
# a kernel without 32-bit support cannot start; the 64-bit loader starts 64-bit programs itself
# and hands 32-bit ones to the 32-bit loader.

wine_loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
wine_loader32=$(dirname "$wine_loader")/wine
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

# The program under test: --program x64 (the build Wine runs natively, the default) or
# --program i686 (the shipped 32-bit one). Sets program, preset and wine_bin; the arguments
# left are in program_args.
select_program() {
  program=x64
  program_args=()
  while (($#)); do
    case $1 in
      --program) program=${2:-}; shift 2 || shift ;;
      *) program_args+=("$1"); shift ;;
    esac
  done
  [[ $program == x64 || $program == i686 ]] ||
    { echo "--program must be x64 or i686, not '$program'"; exit 2; }
  preset=mingw-$program
  wine_bin=$root/build/$preset/bin
}

# Exit status of a run that could not be made on this machine (the i686 program without a
# 32-bit Wine that can start): the caller reports it, and nothing is counted as passed.
readonly cannot_run_here=77

require_wine_tools() {
  local tool missing=()
  for tool in wineserver Xvfb "$@"; do
    command -v "$tool" >/dev/null || missing+=("$tool")
  done
  [[ -x $wine_loader ]] || missing+=("wine64 (Wine's 64-bit loader)")
  ((${#missing[@]} == 0)) || { echo "missing: ${missing[*]} (tools/install-deps)"; exit 2; }
  [[ -x $wine_bin/box_watcher.exe ]] ||
    { echo "build the $preset preset first ($wine_bin)"; exit 2; }
  [[ $program == x64 ]] || require_32bit_wine
}

# A 32-bit program needs 32-bit Wine, whose loader must start on this kernel.
require_32bit_wine() {
  local why
  if [[ ! -x $wine_loader32 ]]; then
    why="32-bit Wine is not installed (wine32:i386, tools/install-deps)"
  elif ! why=$("$wine_loader32" --version 2>&1); then
    why="32-bit Wine does not start here (${why##*: }): this kernel runs no 32-bit programs"
  else
    return 0
  fi
  echo "the i686 program cannot run on this machine: $why"
  exit "$cannot_run_here"
}

# A command in the current prefix ($prefix), as the Wine user; wine and wineserver so.
as_wine() { "${wine_user[@]}" env HOME="$work/home" WINEPREFIX="$prefix" "$@"; }
wine() { as_wine "$wine_loader" "$@"; }
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
  if ! wine wineboot --init >"$work/wineboot.log" 2>&1; then
    echo "wineboot failed: $(grep -v '^[0-9a-f]*:fixme' "$work/wineboot.log" | tail -n 3)"
    exit 2
  fi
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
  wineserver -w
  [[ $program == x64 ]] || check_32bit_program_runs
  touch "$prefix/.prepared"
}

# Without 32-bit support a 32-bit program may end at once with exit code 0 and do nothing,
# which would pass for a run: the stub must leave its record.
check_32bit_program_runs() {
  local records=$work/home/probe.jsonl
  ORV_WINE_RECORDS=$(windows_path "$records") as_wine timeout 60 "$wine_loader" \
    "$wine_bin/stub_program.exe" probe >/dev/null 2>&1 || true
  [[ -s $records ]] && rm -f "$records" && return 0
  echo "the i686 stub program did not run in the prefix: 32-bit Wine does not work here"
  exit 2
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
