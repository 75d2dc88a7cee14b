#!/usr/bin/env bash
# Runs the tests of the Windows programs under Wine in a virtual X display of its own: the
# dialog program BBookToTellurax.exe driven by gui_driver.exe, and the console program.
#
#   gui_test.sh setup              start Xvfb, create a Wine prefix, lay out the test folders
#   gui_test.sh run SCENARIO       run one scenario (layout, enter, convert, console, about,
#                                  browse, drop)
#   gui_test.sh cleanup            stop Wine and Xvfb, remove the prefix (screenshots stay)
#
# Environment (set by CTest): BB_GUI_WORK (a folder of its own in the build tree), BB_WINE
# (the Wine loader), BB_APP_EXE, BB_CLI_EXE, BB_DRIVER_EXE, BB_PROBE_DLL, BB_NATIVE_CLI (the
# Linux console program), BB_SOURCE_DIR.
#
# Every scenario but the console's starts the dialog program as a user who never ran it (no
# settings in the registry), unless it restarts it to see what was remembered.
set -euo pipefail
# A UTF-8 locale: Wine then hands non-ASCII arguments and file names to the programs exactly,
# and bash counts characters, not bytes.
export LC_ALL=C.UTF-8

work=${BB_GUI_WORK:?}
state=$work/state        # display number, Xvfb process id
prefix=$work/prefix
app_dir="$work/Büro app" # the programs and the user guide
names=$work/names        # the folders and files of the conversions
browse_dir="$work/Données NGS"  # what the Browse buttons and the drops choose from
table=$work/conversions.table  # a line per conversion, its fields separated by $sep
sep=$'\x1f'  # no white space: empty fields stay fields
shots=$work/screenshots
snap_dir=$work/snaps
wine=${BB_WINE:?}
wineserver=$(dirname "$wine")/wineserver

# Windows path of a Unix path, through Wine's Z: drive, and back.
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
unixpath() { local p=${1#Z:}; printf '%s' "${p//\\//}"; }

# The folders and names every conversion goes through, in this order, as "folder|stem|files":
# the inputs are "<stem> serfil", "<stem>.bfl" and "<stem>.gfl" (copied from the files named
# in `sources`), each Windows program's output "<stem>.txt" and the Linux program's
# "<stem> linux.txt".
long_folder=""
for n in 1 2 3 4 5 6 7 8; do long_folder+="Répertoire de mesures numéro $n, très long/"; done
conversions=(
    "Büro/Données|Données résultat|examples"  # accented Latin, blanks
    "Ελληνικά|Ωmega-notes|examples"           # Greek; Omega-notes.txt beside it must stay as it is
    "Кириллица|Данные съёмки|examples"        # Cyrillic
    "日本語|測量データ|examples"                  # Japanese
    "😀 Emoji|📐 plan|examples"                # beyond the BMP: surrogate pairs in UTF-16
    "${long_folder%/}|fin|examples"           # paths of more than 300 characters
    "NGS training|ngs|ngs"                    # warnings: the report is offered
    "Datum|no datum record|no-datum"          # right after a datum record: the default datum
)
# The SERFIL file, B-file and G-file of each kind of conversion ("-": none).
declare -A sources=(
    [examples]="examples/serfil examples/project.bfl examples/project.gfl"
    [ngs]="tests/data/samples/noaa-ngs-adjust/serfil tests/data/samples/noaa-ngs-adjust/bfile
           tests/data/samples/noaa-ngs-adjust/gfile"
    [no-datum]="tests/fixtures/bfile_all_observation_types/serfil
                tests/fixtures/bfile_all_observation_types/bfile -"
)
# The NGS training project's report has 14 warnings (the geoid height of each of its 14 *86*
# records is blank) and 1 rejected record (the vector on line 43 of its G-file is marked R).
ngs_question="The conversion has 14 warnings and 1 rejected record. Show the conversion report?"
# The fixture of every observation type has no station records: each end of its observations
# warns that the station has no position (60 warnings).
no_datum_question="The conversion has 60 warnings. Show the conversion report?"
omega_notes="$names/Ελληνικά/Omega-notes.txt"
absent="$names/Ελληνικά/Ωmega-absent"  # .bfl is never there, so .txt is never written
folder_bfile="$names/Ελληνικά/Ωmega-folder"  # .bfl is a folder, so .txt is never written
browse_name="Ärger Ωmega Данные 日本 😀.GFL"
browse_lower="ärger ωmega данные 日本 😀.gfl"  # as Windows lower-cases it
help_record=$work/help-opened.txt  # what the program the tests open HTML files with was given

use_environment() {
    [[ -f $state/display ]] || { echo "gui: no display; did the setup test run?" >&2; exit 1; }
    export DISPLAY=":$(cat "$state/display")" WINEPREFIX=$prefix WINEDEBUG=-all
    export WINEDLLOVERRIDES="winemenubuilder.exe=d"
    # The probe library the driver loads into the program, and its request and report files.
    BB_PROBE=$(winpath "$work/probe")
    BB_PROBE_DLL=$(winpath "${BB_PROBE_DLL:-}")
    export BB_PROBE BB_PROBE_DLL
}

setup() {
    rm -rf "$work"
    mkdir -p "$state" "$app_dir" "$shots" "$snap_dir"
    # Xvfb takes a free display number itself (its lock file decides, so two test runs started
    # at the same moment never share one) and writes it once it accepts clients.
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$state/display.part" \
        </dev/null >/dev/null 2>&1 &
    echo $! >"$state/xvfb.pid"
    local deadline=$((SECONDS + 120)) display
    until IFS= read -r display <"$state/display.part"; do  # a whole line: the number is written
        if ((SECONDS > deadline)) || ! kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
            echo "gui: Xvfb did not start" >&2
            exit 1
        fi
        sleep 0.1
    done
    echo "$display" >"$state/display"

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
    cp "$BB_SOURCE_DIR/docs/user-guide.html" "$app_dir/UserGuide.html"
    # HTML files open in the driver's recorder, which writes down what it was asked to open
    # (instead of Wine's browser, which would hand them to the host's).
    "$wine" reg add 'HKCR\.html' /ve /d BBTest.html /f </dev/null >/dev/null 2>&1
    "$wine" reg add 'HKCR\BBTest.html\shell\open\command' /ve /f \
        /d "\"$(winpath "$BB_DRIVER_EXE")\" record \"$(winpath "$help_record")\" \"%1\"" \
        </dev/null >/dev/null 2>&1
    # NGS's own names beside one named in four scripts, a name no Open dialog's first filter
    # shows, and a file a Save dialog must not replace without asking.
    mkdir -p "$browse_dir"
    for name in bfile gfile serfil "$browse_name" notes.doc existing.txt; do
        printf 'kept\r\n' >"$browse_dir/$name"
    done
    setup_conversions
    echo "gui: display :$display, prefix $prefix"
}

# One line of the table of conversions: the message it ends with (cut after 259 characters, as
# every message is), then the SERFIL file, B-file, G-file and output as typed, and for a
# conversion that deserves a look the question that offers its report and the file that holds
# the report (Windows paths), and for a file that cannot be opened the system's reason (the
# dialog shows it on a line of its own, the console program after a colon).
table_row() {
    local message=$1
    printf "%s$sep%s$sep%s$sep%s$sep%s$sep%s$sep%s$sep%s\n" "${message:0:259}" "$2" "$3" "$4" \
        "$5" "${6:-}" "${7:-}" "${8:-}" >>"$table"
}

# The folders and input files of every conversion, the Linux program's outputs (and reports)
# from them, and the table the drivers go through: a conversion per folder, then a missing
# B-file (1514), a folder named as the B-file (1516, with the reason) and an output that is
# the B-file under another spelling (1519), and the B-file and G-file swapped (1524).
setup_conversions() {
    local row folder stem kind dir win i
    : >"$table"
    for row in "${conversions[@]}"; do
        IFS='|' read -r folder stem kind <<<"$row"
        dir=$names/$folder
        mkdir -p "$dir"
        win=$(winpath "$dir")
        local -a files=(${sources[$kind]}) inputs=("$stem serfil" "$stem.bfl" "$stem.gfl")
        local -a options=(-s -b -g) linux=() typed=()
        for i in 0 1 2; do
            if [[ ${files[i]} == - ]]; then typed+=(""); continue; fi
            cp "$BB_SOURCE_DIR/${files[i]}" "$dir/${inputs[i]}"
            linux+=("${options[i]}" "$dir/${inputs[i]}")
            typed+=("$win\\${inputs[i]}")
        done
        if [[ -x ${BB_NATIVE_CLI:-} ]]; then
            "$BB_NATIVE_CLI" "${linux[@]}" -o "$dir/$stem linux.txt" -r >/dev/null \
                2>"$dir/$stem linux report.txt"
        fi
        local question="" report=""
        if [[ $kind == ngs ]]; then
            # The report as the dialog shows it: the Linux program's, with Windows paths.
            local text
            text=$(cat "$dir/$stem linux report.txt")
            printf '%s\n' "${text//"$dir/"/"$win\\"}" >"$dir/$stem expected report.txt"
            question=$ngs_question report=$(winpath "$dir/$stem expected report.txt")
        elif [[ $kind == no-datum ]]; then
            question=$no_datum_question  # answered No
        fi
        table_row "Success - the results are in $win\\$stem.txt" "${typed[@]}" "$win\\$stem.txt" \
            "$question" "$report"
    done
    printf 'Omega notes: not an output file\r\n' >"$omega_notes"

    win=$(winpath "$names/Ελληνικά")
    table_row "File does not exist $(winpath "$absent").bfl" "$win\\Ωmega-notes serfil" \
        "$(winpath "$absent").bfl" "$win\\Ωmega-notes.gfl" "$(winpath "$absent").txt"
    mkdir -p "$folder_bfile.bfl"
    table_row "Cannot open file $(winpath "$folder_bfile").bfl" "" "$(winpath "$folder_bfile").bfl" \
        "" "$(winpath "$folder_bfile").txt" "" "" "Is a directory"
    win=$(winpath "$names/Büro/Données")
    local other
    other="$(winpath "$names")\\BÜRO\\DONNÉES\\..\\Données\\DONNÉES RÉSULTAT.BFL"
    table_row "Output file $other is also an input file" "$win\\Données résultat serfil" \
        "$win\\Données résultat.bfl" "$win\\Données résultat.gfl" "$other"
    # The B-file and the G-file swapped: refused before the output is written.
    table_row "File $win\\Données résultat.gfl looks like a Blue Book 'G' File, not a 'B' File" \
        "" "$win\\Données résultat.gfl" "$win\\Données résultat.bfl" "$win\\swapped.txt"
}

remove_outputs() {
    local row folder stem kind
    for row in "${conversions[@]}"; do
        IFS='|' read -r folder stem kind <<<"$row"
        rm -f "$names/$folder/$stem.txt" "$names/$folder/$stem-report.txt" \
            "$names/$folder/Relatif Ωmega.txt"
    done
}

# What a Windows program ($1) left behind: each output equals the Linux program's, byte for
# byte; Omega-notes.txt is as it was; the B-file named as the output is untouched; the
# conversions of the missing B-file, of the folder named as one and of the swapped files wrote
# nothing.
check_outputs() {
    local who=$1 row folder dir stem kind failed=0
    for row in "${conversions[@]}"; do
        IFS='|' read -r folder stem kind <<<"$row"
        dir=$names/$folder
        if [[ ! -f "$dir/$stem linux.txt" ]]; then
            echo "FAIL no output of the Linux console program in $dir (build the linux preset)"
            failed=1
        elif cmp -s "$dir/$stem.txt" "$dir/$stem linux.txt"; then
            echo "ok   $who: $folder/$stem.txt equals the Linux program's output"
        else
            echo "FAIL $who: $folder/$stem.txt is missing or differs from the Linux output"
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
        [[ ! -e $absent.txt && ! -e $folder_bfile.txt && ! -e $names/Büro/Données/swapped.txt ]]
    then
        echo "ok   $who: the B-file named as output is untouched; a missing B-file and swapped" \
            "files write nothing"
    else
        echo "FAIL $who: the B-file named as output was changed, or a failed conversion wrote"
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
    while IFS=$sep read -r message serfil bfile gfile output _ _ reason; do
        status=0
        local inputs=()
        [[ -n $serfil ]] && inputs+=(-s "$serfil")
        [[ -n $gfile ]] && inputs+=(-g "$gfile")
        "$wine" "$exe" "${inputs[@]}" -b "$bfile" -o "$output" \
            --report-json "$output.json" </dev/null >"$work/console.out" 2>"$work/console.err" ||
            status=$?
        local stream=$work/console.err want=1 shown="bbook2tellurax: $message${reason:+: $reason}"
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
    console_streams_and_files_in_use || failed=1
    console_jobs_into_one_output || failed=1
    return $failed
}

# Ten conversions at once into one output: one complete result (one of theirs, byte for byte),
# nothing left beside it, and a job that fails says why (not a bare "Permission denied").
console_jobs_into_one_output() {
    local dir=$work/together exe=$app_dir/bbook2tellurax.exe failed=0 k
    rm -rf "$dir" && mkdir -p "$dir"
    for k in 0 1 2 3 4 5 6 7 8 9; do
        awk -v k="$k" 'BEGIN { for (i = 0; i < 20000; i++)
            printf "000010*80*%04d                              %02d000000000N105000000000W\n",
                i % 10000, 30 + k }' >"$dir/b$k.bfl"
        "$BB_NATIVE_CLI" -q -b "$dir/b$k.bfl" -o "$dir/expected$k.txt"
    done
    for k in 0 1 2 3 4 5 6 7 8 9; do
        (cd "$dir" && "$wine" "$exe" -q -b "b$k.bfl" -o same.txt) </dev/null >/dev/null \
            2>"$dir/err$k.txt" &
    done
    wait
    local complete=0 reasons unclear="" stray
    for k in 0 1 2 3 4 5 6 7 8 9; do cmp -s "$dir/same.txt" "$dir/expected$k.txt" && complete=1; done
    reasons=$(cat "$dir"/err*.txt | tr -d '\r')
    if [[ -n $reasons ]]; then
        unclear=$(grep -v '^bbook2tellurax: .*: [A-Z]' <<<"$reasons"; grep 'Permission denied' <<<"$reasons")
    fi
    stray=$(ls -A "$dir" | grep -v '^b[0-9].bfl$\|^expected[0-9].txt$\|^err[0-9].txt$\|^same.txt$' || true)
    if ((complete)) && [[ -z $stray && -z $unclear ]]; then
        echo "ok   console: ten jobs into one output leave one complete result${reasons:+ (failures: $reasons)}"
    else
        echo "FAIL console: ten jobs into one output: complete=$complete," \
            "files: $(ls -A "$dir" | tr '\n' ' '), errors: $reasons"
        failed=1
    fi
    return $failed
}

# Files another program holds open with no sharing (the driver holds one while the console
# program runs) stop the conversion with the reason, and the old output stays as it was, with
# nothing left beside it; "-o -" writes the Linux program's bytes, CR LF unchanged, and "-b -"
# reads standard input.
console_streams_and_files_in_use() {
    local dir=$work/in-use exe driver linux=$BB_NATIVE_CLI failed=0 status message
    local BB_APP_CLI=$app_dir/bbook2tellurax.exe
    exe=$(winpath "$app_dir/bbook2tellurax.exe")
    rm -rf "$dir" && mkdir -p "$dir"
    cp "$BB_SOURCE_DIR/examples/project.bfl" "$dir/"
    printf 'Earlier results\r\n' >"$dir/held.txt"
    local -a cases=(
        # file held | output | message on standard error
        "held.txt|held.txt|Cannot open file held.txt: In use by another program"
        "project.bfl|new.txt|Cannot open file project.bfl: In use by another program"
    )
    local row held output message
    for row in "${cases[@]}"; do
        IFS='|' read -r held output message <<<"$row"
        status=0
        (cd "$dir" && "$wine" "$BB_DRIVER_EXE" hold "$held" "$exe" -b project.bfl -o "$output") \
            </dev/null >"$work/console.out" 2>"$work/console.err" || status=$?
        if [[ $status == 1 && $(cat "$work/console.err") == "bbook2tellurax: $message"$'\r' &&
            $(cat "$dir/held.txt") == $'Earlier results\r' &&
            $(ls "$dir" | tr '\n' ' ') == "held.txt project.bfl " ]]; then
            echo "ok   console: $held held open: \"$message\", nothing changed"
        else
            echo "FAIL console: $held held open: status $status," \
                "err \"$(cat "$work/console.err")\", files: $(ls "$dir" | tr '\n' ' ')"
            failed=1
        fi
    done

    # Standard input that is the output's file is an input like any other: refused, unchanged.
    status=0
    (cd "$dir" && "$wine" "$BB_APP_CLI" -b - -o project.bfl) <"$dir/project.bfl" >/dev/null \
        2>"$work/console.err" || status=$?
    message="Output file project.bfl is also an input file"
    if [[ $status == 1 && $(cat "$work/console.err") == "bbook2tellurax: $message"$'\r' ]] &&
        cmp -s "$dir/project.bfl" "$BB_SOURCE_DIR/examples/project.bfl"; then
        echo "ok   console: -b - -o naming the same file: \"$message\", nothing changed"
    else
        echo "FAIL console: -b - -o naming the same file: status $status," \
            "err \"$(cat "$work/console.err")\""
        failed=1
    fi

    "$linux" -b "$dir/project.bfl" -o - >"$dir/linux.txt"
    (cd "$dir" && "$wine" "$app_dir/bbook2tellurax.exe" -b project.bfl -o -) </dev/null >"$dir/stdout.txt" \
        2>/dev/null || true
    (cd "$dir" && "$wine" "$app_dir/bbook2tellurax.exe" -b - -o stdin.txt) <"$dir/project.bfl" >/dev/null \
        2>&1 || true
    local name
    for name in stdout stdin; do
        if [[ -s $dir/linux.txt ]] && cmp -s "$dir/$name.txt" "$dir/linux.txt"; then
            echo "ok   console: the output through $name equals the Linux program's, byte for byte"
        else
            echo "FAIL console: the output through $name differs from the Linux program's"
            failed=1
        fi
    done
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
            local name x y w h
            read -r _ name x y w h <<<"$line"
            import -window root -crop "${w}x${h}+${x}+${y}" +repage "$shots/$name.png" ||
                echo "gui: screenshot $name failed" >&2
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
        layout) drive layout "$exe" ;;
        enter)
            local first
            IFS=$sep read -r -a first <"$table"
            rm -f "$(unixpath "${first[4]}")"
            drive enter "$exe" "${first[@]:0:5}"
            ;;
        about) drive about "$exe" "$(winpath "$help_record")" ;;
        browse) drive browse "$exe" "$(winpath "$browse_dir")" "$browse_name" "$browse_lower" ;;
        drop) drive drop "$exe" "$(winpath "$browse_dir")" ;;
        convert)
            local failed=0 conversion=() row
            while IFS= read -r row; do
                local -a cells=()
                IFS=$sep read -r -a cells <<<"$row"
                while ((${#cells[@]} < 8)); do cells+=(""); done
                [[ -n ${cells[7]} ]] && cells[0]+=$'\n\n'${cells[7]}
                conversion+=("${cells[@]:0:7}")
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
