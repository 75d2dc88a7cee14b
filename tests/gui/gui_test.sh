#!/usr/bin/env bash
# Runs the GUI tests of BBookToTellurax.exe under Wine in a virtual X display of its own.
#
#   gui_test.sh setup              start Xvfb, create a Wine prefix, lay out the test folder
#   gui_test.sh run SCENARIO       run one driver scenario (layout, enter, convert, about, browse)
#   gui_test.sh cleanup            stop Wine and Xvfb, remove the prefix (screenshots stay)
#
# Environment (set by CTest): BB_GUI_WORK (a folder of its own in the build tree), BB_WINE
# (the Wine loader), BB_APP_EXE, BB_DRIVER_EXE, BB_PROBE_DLL, BB_NATIVE_CLI (the Linux console
# program), BB_SOURCE_DIR.
set -euo pipefail

work=${BB_GUI_WORK:?}
state=$work/state        # display number, Xvfb process id
prefix=$work/prefix
app_dir=$work/app        # the program and the files it converts and browses
shots=$work/screenshots
snap_dir=$work/snaps
wine=${BB_WINE:?}
wineserver=$(dirname "$wine")/wineserver

# Windows path of a Unix path, through Wine's Z: drive.
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

use_environment() {
    [[ -f $state/display ]] || { echo "gui: no display; did the setup test run?" >&2; exit 1; }
    export DISPLAY=":$(cat "$state/display")" WINEPREFIX=$prefix WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d"
}

setup() {
    rm -rf "$work"
    mkdir -p "$state" "$app_dir" "$shots" "$snap_dir"
    # A free display number: no lock file and no socket.
    local display=90
    while [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]]; do ((display++)); done
    setsid Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    echo $! >"$state/xvfb.pid"
    echo "$display" >"$state/display"
    for _ in $(seq 100); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
    [[ -e /tmp/.X11-unix/X$display ]] || { echo "gui: Xvfb did not start" >&2; exit 1; }

    use_environment
    # Wine's own server and helpers must not hold CTest's output pipes open.
    "$wine" wineboot -i </dev/null >"$work/wineboot.log" 2>&1
    # No window manager runs, so Wine draws the frames itself; no sound device is needed.
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d '' /f </dev/null >/dev/null 2>&1

    cp "$BB_APP_EXE" "$app_dir/BBookToTellurax.exe"
    cp "$BB_SOURCE_DIR"/examples/* "$app_dir/"
    : >"$app_dir/Job1.GFL"  # chosen by name in the file dialogs
    echo "gui: display :$display, prefix $prefix"
}

cleanup() {
    if [[ -f $state/display ]]; then
        use_environment
        "$wineserver" -k 2>/dev/null || true
    fi
    if [[ -f $state/xvfb.pid ]]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid"
    fi
    rm -rf "$prefix" "$snap_dir"
    echo "gui: stopped; screenshots in $shots"
}

# Runs the driver; takes a screenshot whenever it asks for one.
drive() {
    export BB_GUI_SNAP_DIR
    BB_GUI_SNAP_DIR=$(winpath "$snap_dir")
    local line last=""
    while IFS= read -r line; do
        line=${line%$'\r'}
        last=$line
        [[ $line == EXIT\ * ]] || echo "$line"
        if [[ $line == SNAP\ * ]]; then
            local name=${line#SNAP }
            import -window root "$shots/$name.png" || echo "gui: screenshot $name failed" >&2
            : >"$snap_dir/$name.done"
        fi
    done < <(timeout 240 "$wine" "$BB_DRIVER_EXE" "$@" </dev/null 2>"$work/driver-$1.err"; echo "EXIT $?")
    # The last line is the driver's exit status: the number of failed checks.
    if [[ $last != "EXIT 0" ]]; then
        echo "gui: driver $1 ended with ${last#EXIT } (stderr: $work/driver-$1.err)"
        return 1
    fi
}

run() {
    use_environment
    local scenario=$1 exe
    exe=$(winpath "$app_dir/BBookToTellurax.exe")
    case $scenario in
        layout | enter) drive "$scenario" "$exe" ;;
        about)
            export BB_MENU_REPORT
            BB_MENU_REPORT=$(winpath "$work/system-menu.txt")
            drive about "$exe" "$(winpath "$BB_PROBE_DLL")" "$BB_MENU_REPORT"
            ;;
        browse) drive browse "$exe" Job1.GFL ;;
        convert)
            local out=$work/converted.txt
            rm -f "$out"
            drive convert "$exe" "$(winpath "$app_dir/serfil")" "$(winpath "$app_dir/project.bfl")" \
                "$(winpath "$app_dir/project.gfl")" "$(winpath "$out")" \
                "$(winpath "$app_dir/missing.bfl")"
            # The same files through the Linux console program: the same bytes.
            [[ -x ${BB_NATIVE_CLI:-} ]] || {
                echo "FAIL no Linux console program at '${BB_NATIVE_CLI:-}' (build the linux preset first)"
                return 1
            }
            "$BB_NATIVE_CLI" -s "$app_dir/serfil" -b "$app_dir/project.bfl" -g "$app_dir/project.gfl" \
                -o "$work/native.txt" >/dev/null
            if cmp "$out" "$work/native.txt"; then
                echo "ok   the dialog's output equals the Linux console program's, byte for byte"
            else
                echo "FAIL the dialog's output differs from the Linux console program's"
                return 1
            fi
            ;;
        *) echo "gui: unknown scenario $scenario" >&2; return 2 ;;
    esac
}

case ${1:-} in
    setup) setup ;;
    cleanup) cleanup ;;
    run) run "${2:?scenario}" ;;
    *) echo "usage: $0 setup|run SCENARIO|cleanup" >&2; exit 2 ;;
esac
