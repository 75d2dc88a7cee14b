#!/usr/bin/env bash
# Runs the tests of the Windows programs under Wine in a virtual X display of its own: the
# dialog program BBookToTellurax.exe driven by gui_driver.exe, and the console program.
#
#   gui_test.sh setup              start Xvfb, create a Wine prefix, lay out the test folders
#   gui_test.sh run SCENARIO       run one scenario (layout, enter, convert, console, about,
#                                  browse)
#   gui_test.sh cleanup            stop Wine and Xvfb, remove the prefix (screenshots stay)
#
# Environment (set by CTest): BB_GUI_WORK (a folder of its own in the build tree), BB_WINE
# (the Wine loader), BB_APP_EXE, BB_CLI_EXE, BB_DRIVER_EXE, BB_PROBE_DLL, BB_NATIVE_CLI (the
# Linux console program), BB_SOURCE_DIR.
set -euo pipefail
# A UTF-8 locale: Wine then hands non-ASCII arguments and file names to the programs exactly,
# and bash counts characters, not bytes.
export LC_ALL=C.UTF-8

work=${BB_GUI_WORK:?}
state=$work/state        # display number, Xvfb process id
prefix=$work/prefix
app_dir="$work/Büro app" # the programs, and the file the Browse buttons choose
names=$work/names        # the folders and files of the conversions
table=$work/conversions.tsv
shots=$work/screenshots
snap_dir=$work/snaps
wine=${BB_WINE:?}
wineserver=$(dirname "$wine")/wineserver

# Windows path of a Unix path, through Wine's Z: drive, and back.
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
unixpath() { local p=${1#Z:}; printf '%s' "${p//\\//}"; }

# The folders and names every conversion goes through, as "folder|stem": the inputs are
# "<stem> serfil", "<stem>.bfl" and "<stem>.gfl", each Windows program's output "<stem>.txt" and
# the Linux program's "<stem> linux.txt".
long_folder=""
for n in 1 2 3 4 5 6 7 8; do long_folder+="Répertoire de mesures numéro $n, très long/"; done
conversions=(
    "Büro/Données|Données résultat"  # accented Latin, blanks
    "Ελληνικά|Ωmega-notes"           # Greek; Omega-notes.txt beside it must stay as it is
    "Кириллица|Данные съёмки"        # Cyrillic
    "日本語|測量データ"                  # Japanese
    "😀 Emoji|📐 plan"                # beyond the BMP: surrogate pairs in UTF-16
    "${long_folder%/}|fin"           # paths of more than 300 characters
)
omega_notes="$names/Ελληνικά/Omega-notes.txt"
absent="$names/Ελληνικά/Ωmega-absent"  # .bfl is never there, so .txt is never written
browse_name="Ärger Ωmega Данные 日本 😀.GFL"
browse_lower="ärger ωmega данные 日本 😀.gfl"  # as Windows lower-cases it

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
    # Wine's own fonts (Debian package fonts-wine): its bitmap "MS Sans Serif" has the widths
    # of Windows' own, so the dialog is laid out as Windows lays it out. Debian's wine64 alone
    # does not look in their folder, so they go into the prefix's Fonts folder.
    local fonts=/usr/share/wine/fonts
    if [[ ! -f $fonts/sserife.fon ]]; then
        echo "gui: no $fonts/sserife.fon (scripts/setup.sh test installs fonts-wine)" >&2
        exit 1
    fi
    cp "$fonts"/* "$prefix/drive_c/windows/Fonts/"

    cp "$BB_APP_EXE" "$app_dir/BBookToTellurax.exe"
    cp "$BB_CLI_EXE" "$app_dir/bbook2tellurax.exe"
    : >"$app_dir/$browse_name"  # chosen by name in the file dialogs
    setup_conversions
    echo "gui: display :$display, prefix $prefix"
}

# One line of the table of conversions: the message it ends with (cut after 259 characters, as
# every message is), then the SERFIL file, B-file, G-file and output as typed.
table_row() {
    local message=$1
    printf '%s\t%s\t%s\t%s\t%s\n' "${message:0:259}" "$2" "$3" "$4" "$5" >>"$table"
}

# The folders and input files of every conversion, the Linux program's outputs from them, and
# the table the drivers go through: a conversion per folder, then a missing B-file (1514) and
# an output that is the B-file under another spelling (1519).
setup_conversions() {
    local row folder stem dir win
    : >"$table"
    for row in "${conversions[@]}"; do
        folder=${row%%|*} stem=${row#*|}
        dir=$names/$folder
        mkdir -p "$dir"
        cp "$BB_SOURCE_DIR/examples/serfil" "$dir/$stem serfil"
        cp "$BB_SOURCE_DIR/examples/project.bfl" "$dir/$stem.bfl"
        cp "$BB_SOURCE_DIR/examples/project.gfl" "$dir/$stem.gfl"
        if [[ -x ${BB_NATIVE_CLI:-} ]]; then
            "$BB_NATIVE_CLI" -s "$dir/$stem serfil" -b "$dir/$stem.bfl" -g "$dir/$stem.gfl" \
                -o "$dir/$stem linux.txt" >/dev/null
        fi
        win=$(winpath "$dir")
        table_row "Success - the results are in $win\\$stem.txt" "$win\\$stem serfil" \
            "$win\\$stem.bfl" "$win\\$stem.gfl" "$win\\$stem.txt"
    done
    printf 'Omega notes: not an output file\r\n' >"$omega_notes"

    win=$(winpath "$names/Ελληνικά")
    table_row "File does not exist $(winpath "$absent").bfl" "$win\\Ωmega-notes serfil" \
        "$(winpath "$absent").bfl" "$win\\Ωmega-notes.gfl" "$(winpath "$absent").txt"
    win=$(winpath "$names/Büro/Données")
    local other
    other="$(winpath "$names")\\BÜRO\\DONNÉES\\..\\Données\\DONNÉES RÉSULTAT.BFL"
    table_row "Output file $other is also an input file" "$win\\Données résultat serfil" \
        "$win\\Données résultat.bfl" "$win\\Données résultat.gfl" "$other"
}

remove_outputs() {
    local row
    for row in "${conversions[@]}"; do rm -f "$names/${row%%|*}/${row#*|}.txt"; done
}

# What a Windows program ($1) left behind: each output equals the Linux program's, byte for
# byte; Omega-notes.txt is as it was; the B-file named as the output is untouched; the
# conversion of the missing B-file wrote nothing.
check_outputs() {
    local who=$1 row dir stem failed=0
    for row in "${conversions[@]}"; do
        dir=$names/${row%%|*} stem=${row#*|}
        if [[ ! -f "$dir/$stem linux.txt" ]]; then
            echo "FAIL no output of the Linux console program in $dir (build the linux preset)"
            failed=1
        elif cmp -s "$dir/$stem.txt" "$dir/$stem linux.txt"; then
            echo "ok   $who: ${row%%|*}/$stem.txt equals the Linux program's output"
        else
            echo "FAIL $who: ${row%%|*}/$stem.txt is missing or differs from the Linux output"
            failed=1
        fi
    done
    if [[ $(cat "$omega_notes") == $'Omega notes: not an output file\r' ]]; then
        echo "ok   $who: Omega-notes.txt is untouched by the output Ωmega-notes.txt"
    else
        echo "FAIL $who: Omega-notes.txt was changed"
        failed=1
    fi
    if cmp -s "$names/Büro/Données/Données résultat.bfl" "$BB_SOURCE_DIR/examples/project.bfl" &&
        [[ ! -e $absent.txt ]]; then
        echo "ok   $who: the B-file named as output is untouched; a missing B-file writes nothing"
    else
        echo "FAIL $who: the B-file named as output was changed, or $absent.txt was written"
        failed=1
    fi
    return $failed
}

# The console program through the same table: its message on standard output (success) or
# standard error after its name, as UTF-8 with CR LF, exit status 0 or 1, and the report file it
# was asked for.
run_console() {
    local exe=$app_dir/bbook2tellurax.exe message serfil bfile gfile output status failed=0
    remove_outputs
    while IFS=$'\t' read -r message serfil bfile gfile output; do
        status=0
        "$wine" "$exe" -s "$serfil" -b "$bfile" -g "$gfile" -o "$output" \
            --report-json "$output.json" </dev/null >"$work/console.out" 2>"$work/console.err" ||
            status=$?
        local stream=$work/console.err want=1 shown="bbook2tellurax: $message"
        if [[ $message == Success* ]]; then stream=$work/console.out want=0 shown=$message; fi
        if [[ $status == "$want" && $(cat "$stream") == "$shown"$'\r' ]] &&
            { ((want)) || [[ -s $(unixpath "$output").json ]]; }; then
            echo "ok   console: \"$message\""
        else
            echo "FAIL console: status $status, out \"$(cat "$work/console.out")\"," \
                "err \"$(cat "$work/console.err")\", expected \"$message\""
            failed=1
        fi
    done <"$table"
    check_outputs console || failed=1

    # On a console the message goes through WriteConsoleW: under `script`, Wine's console shows
    # it on a terminal as UTF-8, every letter intact (bytes written to a console would be read
    # in its code page instead).
    local command
    command=$(printf '%q ' "$wine" "$exe" -g Ωmega-notes.gfl -o Ωmega-console.txt)
    (cd "$names/Ελληνικά" && script -qec "$command" /dev/null) </dev/null >"$work/console.tty" 2>&1 ||
        true  # the text it shows tells
    rm -f "$names/Ελληνικά/Ωmega-console.txt"
    if grep -qF "Success - the results are in Ωmega-console.txt" "$work/console.tty"; then
        echo "ok   console: a console shows the message letter for letter"
    else
        echo "FAIL console: a console shows \"$(tr -d '\033' <"$work/console.tty")\""
        failed=1
    fi
    return $failed
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
    done < <(timeout 240 "$wine" "$BB_DRIVER_EXE" "$@" </dev/null 2>"$work/driver-$1.err" &&
        echo "EXIT 0" || echo "EXIT $?")
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
        browse) drive browse "$exe" "$browse_name" "$browse_lower" ;;
        convert)
            local failed=0 conversion=() message serfil bfile gfile output
            while IFS=$'\t' read -r message serfil bfile gfile output; do
                conversion+=("$message" "$serfil" "$bfile" "$gfile" "$output")
            done <"$table"
            remove_outputs
            drive convert "$exe" "${conversion[@]}" || failed=1
            check_outputs dialog || failed=1
            return $failed
            ;;
        console) run_console ;;
        *) echo "gui: unknown scenario $scenario" >&2; return 2 ;;
    esac
}

case ${1:-} in
    setup) setup ;;
    cleanup) cleanup ;;
    run) run "${2:?scenario}" ;;
    *) echo "usage: $0 setup|run SCENARIO|cleanup" >&2; exit 2 ;;
esac
