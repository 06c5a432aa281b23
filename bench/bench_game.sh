#!/bin/bash
# The real game at 500 x 375 under a private Xvfb with Mesa's software OpenGL,
# ours against the Windows build under Wine, on the same display in the same
# run: frames per second, the CPU time a frame costs, and the time from
# process start to the first presented frame. Runs of the two alternate, so
# that load on the machine falls on both alike. Both builds count presented
# frames through the framework's frame report (framework/frame_report.h); the
# game sits at its start scene, redrawn without pause (the windowed
# presentation interval is immediate). The start-up report
# (framework/startup_report.h) gives the moment each stage of start-up was
# reached; their medians, from the launch, follow the summary.
#
# FLOOR_EXE, when given, is launched in the same alternation: a bare SDL +
# OpenGL program that shows a window of the game's size and presents one
# cleared frame (first_frame_floor.cpp). Its start-up is what this machine's
# display and GL driver cost any such program, the part of the game's
# start-up that no change to the game can take away.
#
# Wall-clock frame rates follow whatever else the machine runs; the CPU time
# per frame (the game's process with all its threads, the X server, and for
# Wine every process of its prefix, the Wine server among them) does much
# less, and its ratio is the one to trust on a busy machine.
#
#   bench_game.sh LINUX_EXE WINDOWS_EXE WORK_DIR [FLOOR_EXE]
# WORK_DIR keeps the Wine prefix between runs. Without WINDOWS_EXE only our
# half runs. Q31_BENCH_RUNS (default 3): measured runs of each after one
# warm-up run; Q31_BENCH_SECONDS (default 5): measured after 2 s of drawing.
set -u

if [ $# -ne 3 ] && [ $# -ne 4 ]; then
    echo "usage: $0 LINUX_EXE WINDOWS_EXE WORK_DIR [FLOOR_EXE]" >&2
    exit 2
fi
linux_exe=$1
windows_exe=$2
work_dir=$3
floor_exe=${4:-}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
runs=${Q31_BENCH_RUNS:-3}
seconds=${Q31_BENCH_SECONDS:-5}
warmup=2

# -noreset: an X server whose last client leaves resets itself (keyboard
# maps compiled again and the rest, 40-60 ms here), and a client that
# connects meanwhile waits for it. A desktop's server always has clients, so
# no player waits for it; here it would land on whichever launch follows the
# last client's exit closely enough, time that is the server's, not the game's.
if [ -z "${Q31_BENCH_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp -noreset" env Q31_BENCH_DISPLAY=1 "$0" "$@"
fi
export LIBGL_ALWAYS_SOFTWARE=1 SDL_VIDEODRIVER=x11

if [ ! -x "$linux_exe" ]; then
    echo "bench_game: $linux_exe is missing; build the target quorvane31" >&2
    exit 1
fi
wine_half=1
if [ ! -f "$windows_exe" ]; then
    wine_half=0
    echo "bench_game: $windows_exe is missing, so the Wine half is skipped (make build-windows builds it)"
fi

floor_half=0
if [ -n "$floor_exe" ]; then
    if [ -x "$floor_exe" ]; then
        floor_half=1
    else
        echo "bench_game: $floor_exe is missing, so the start-up floor is skipped (build the target first_frame_floor)"
    fi
fi

mkdir -p "$work_dir"
scratch=$(mktemp -d)
prefix=$work_dir/wineprefix
cleanup() {
    [ "$wine_half" = 1 ] && WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT

tick_ms=$(awk -v hz="$(getconf CLK_TCK)" 'BEGIN { print 1000 / hz }')
xvfb_pid=""
for p in /proc/[0-9]*; do
    if [ "$(cat "$p/comm" 2>/dev/null)" = Xvfb ] && tr '\0' '\n' <"$p/cmdline" 2>/dev/null | grep -qx "$DISPLAY"; then
        xvfb_pid=${p#/proc/}
    fi
done
[ -n "$xvfb_pid" ] || echo "bench_game: the X server's process was not found; its CPU time is left out" >&2

# The processes whose CPU time a frame costs: the X server, the game $1 and,
# for Wine, every process of the bench's prefix.
processes_of() {
    printf '%s\n' $xvfb_pid "$1"
    if [ "$2" = wine ]; then
        grep -lzxF "WINEPREFIX=$prefix" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3
    fi
}

# Clock ticks of user and system time of the processes $1; the name field
# may hold spaces, so fields are counted from its closing parenthesis.
cpu_ticks() {
    local p
    for p in $1; do sed 's/.*) //' "/proc/$p/stat" 2>/dev/null; done | awk '{ sum += $12 + $13 } END { print sum + 0 }'
}

# The last "frames N T" line of report $1 once its T reaches $2; waits up to
# 30 s while process $3 lives. T is wall-clock microseconds and the lines come
# once a second, so it sleeps until $2 before looking: polling all the while
# would load the very machine whose frames are being counted.
frames_line_from() {
    local end=$(($(date +%s) + 30)) line due
    due=$(($2 - $(date +%s%6N)))
    [ "$due" -gt 0 ] && sleep "$(awk -v us="$due" 'BEGIN { printf "%.3f", us / 1e6 }')"
    while [ "$(date +%s)" -le "$end" ]; do
        line=$(tail -n 1 "$1")
        if [ "${line%% *}" = frames ] && [ "${line##* }" -ge "$2" ]; then
            echo "${line#frames }"
            return 0
        fi
        kill -0 "$3" 2>/dev/null || return 1
        sleep 0.05
    done
    return 1
}

# Closes the game with Escape as a player would; kills it after 10 s (with
# SIGKILL, so that a hung game cannot stall the run).
close_game() {
    local pid=$1 window
    window=$(xdotool search --onlyvisible --name '^Quorvane31$' 2>/dev/null | head -1)
    if [ -n "$window" ]; then
        xdotool windowfocus --sync "$window" 2>/dev/null
        xdotool key Escape 2>/dev/null
    fi
    for _ in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid"; return $?; }
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid"
    echo "bench_game: the game did not close on Escape; killed" >&2
    return 1
}

# run_once LABEL REPORT_AS_THE_PROGRAM_NAMES_IT STARTUP_REPORT_AS_IT_NAMES_IT
# DIRECTORY COMMAND...: one launch; prints "STARTUP_MS FPS CPU_MS_PER_FRAME"
# or "failed", and adds "STAGE MS ..." (from the launch) to LABEL.stages.
run_once() {
    local label=$1 report_name=$2 startup_name=$3 directory=$4
    shift 4
    local report=$scratch/report.txt log=$scratch/$label.log start pid first a b cpu_a cpu_b pids
    rm -f "$report" "$scratch/startup.txt" "$scratch/launched"
    # The launch is the moment the command is handed to exec, read by the
    # shell itself in the process that becomes the program: neither forking
    # the shell nor starting a clock program is counted.
    (cd "$directory" && echo "${EPOCHREALTIME//[.,]/}" >"$scratch/launched" &&
        Q31_FRAME_REPORT=$report_name Q31_STARTUP_REPORT=$startup_name exec "$@") >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 1 1200); do
        first=$(awk '$1 == "first" { print $2 }' "$report" 2>/dev/null)
        [ -n "$first" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    start=$(cat "$scratch/launched" 2>/dev/null)
    if [ -n "$first" ] && [ -n "$start" ] && a=$(frames_line_from "$report" $((first + warmup * 1000000)) "$pid"); then
        pids=$(processes_of "$pid" "$label" | sort -u | tr '\n' ' ')
        cpu_a=$(cpu_ticks "$pids")
        if b=$(frames_line_from "$report" $((${a#* } + seconds * 1000000)) "$pid"); then
            cpu_b=$(cpu_ticks "$pids")
            close_game "$pid" || echo "bench_game: $label ended with status $?" >&2
            # A build without the start-up report writes none.
            [ -s "$scratch/startup.txt" ] && awk -v start="$start" '{ printf "%s %.1f ", $1, ($2 - start) / 1000 }
                END { print "" }' "$scratch/startup.txt" >>"$scratch/$label.stages"
            awk -v start="$start" -v first="$first" -v a="$a" -v b="$b" -v cpu="$((cpu_b - cpu_a))" \
                -v tick="$tick_ms" 'BEGIN {
                    split(a, x, " "); split(b, y, " ")
                    printf "%.0f %.1f %.2f\n", (first - start) / 1000, (y[1] - x[1]) / ((y[2] - x[2]) / 1e6),
                        cpu * tick / (y[1] - x[1])
                }'
            return
        fi
    fi
    echo "bench_game: $label presented no frame or stopped; its output:" >&2
    sed 's/^/  /' "$log" >&2
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    echo failed
}

linux_run() { run_once linux "$scratch/report.txt" "$scratch/startup.txt" / "$linux_exe"; }
# Wine sees the host's root as drive Z:; the media are found in the current
# folder, as when the program is started from its own folder on Windows.
wine_run() {
    run_once wine "Z:$(echo "$scratch/report.txt" | tr / '\\')" "Z:$(echo "$scratch/startup.txt" | tr / '\\')" \
        "$source_dir/media" \
        "$source_dir/scripts/wine-run" "$prefix" "$windows_exe"
}

# floor_run: one launch of the floor program; prints its milliseconds from
# the launch to its presented frame, or "failed". The launch is taken as for
# the game (run_once).
floor_run() {
    local report=$scratch/floor.txt presented start
    rm -f "$report" "$scratch/launched"
    (echo "${EPOCHREALTIME//[.,]/}" >"$scratch/launched" && exec timeout 30 "$floor_exe" "$report") \
        >"$scratch/floor.log" 2>&1
    start=$(cat "$scratch/launched" 2>/dev/null)
    presented=$(awk '$1 == "presented" { print $2 }' "$report" 2>/dev/null)
    if [ -n "$start" ] && [ -n "$presented" ]; then
        echo $(((presented - start) / 1000))
    else
        echo "bench_game: the start-up floor presented no frame; its output:" >&2
        sed 's/^/  /' "$scratch/floor.log" >&2
        echo failed
    fi
}

show() {
    if [ "$3" = failed ]; then
        echo "  run $2, $1: failed"
        return
    fi
    set -- "$1" "$2" $3
    echo "  run $2, $1: $3 ms to the first frame, $4 fps, $5 ms CPU a frame"
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print NR == 0 ? "nan" : NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

summary() {
    local fps
    fps=$(cut -d' ' -f2 "$2" | median)
    printf "Game %s: %s fps (%s ms a frame), %s ms CPU a frame, %s ms from start to the first frame\n" "$1" "$fps" \
        "$(awk -v f="$fps" 'BEGIN { printf "%.2f", (f > 0) ? 1000 / f : 0 }')" \
        "$(cut -d' ' -f3 "$2" | median)" "$(cut -d' ' -f1 "$2" | median)"
}

echo "bench_game: the game at its start scene, Xvfb + Mesa, $(nproc) CPUs, load $(cut -d' ' -f1-3 /proc/loadavg)"
if [ "$wine_half" = 1 ]; then
    # The prefix is made on first use; its server then stays up for every
    # run, so Wine's start-up is measured with the server already running.
    "$source_dir/scripts/wine-run" "$prefix" cmd /c exit >/dev/null 2>&1
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -w
    WINEPREFIX=$prefix /usr/lib/wine/wineserver -p
fi
linux_run >/dev/null
[ "$floor_half" = 1 ] && floor_run >/dev/null
[ "$wine_half" = 1 ] && wine_run >/dev/null

: >"$scratch/linux.txt"
: >"$scratch/wine.txt"
: >"$scratch/floor_ms.txt"
rm -f "$scratch/linux.stages" "$scratch/wine.stages"  # the warm-up runs' stages
status=0
for n in $(seq 1 "$runs"); do
    result=$(linux_run)
    show ours "$n" "$result"
    [ "$result" = failed ] && status=1 || echo "$result" >>"$scratch/linux.txt"
    # The floor follows ours, not Wine: the first launch after Wine's exit
    # finds the memory Wine freed taken back by the host and pays to touch
    # it again, and that launch stays ours, as before the floor was added.
    if [ "$floor_half" = 1 ]; then
        result=$(floor_run)
        if [ "$result" = failed ]; then
            echo "  run $n, floor: failed"
            status=1
        else
            echo "  run $n, floor: $result ms to the first frame"
            echo "$result" >>"$scratch/floor_ms.txt"
        fi
    fi
    if [ "$wine_half" = 1 ]; then
        result=$(wine_run)
        show Wine "$n" "$result"
        [ "$result" = failed ] && status=1 || echo "$result" >>"$scratch/wine.txt"
    fi
done

# stages LABEL NAME: the median moment of each start-up stage, from the
# launch, in the order the program reaches them.
stages() {
    [ -s "$scratch/$1.stages" ] || return 0
    printf "Start-up of %s, median ms from the launch:" "$2"
    awk '{ for (i = 1; i < NF; i += 2) { if (!($i in n)) order[++count] = $i; v[$i, ++n[$i]] = $(i + 1) } }
        END {
            for (k = 1; k <= count; ++k) {
                s = order[k]
                for (i = 1; i <= n[s]; ++i) for (j = i + 1; j <= n[s]; ++j)
                    if (v[s, j] < v[s, i]) { t = v[s, i]; v[s, i] = v[s, j]; v[s, j] = t }
                m = n[s] % 2 ? v[s, (n[s] + 1) / 2] : (v[s, n[s] / 2] + v[s, n[s] / 2 + 1]) / 2
                printf " %s %.0f", s, m
            }
            print ""
        }' "$scratch/$1.stages"
}

echo "Medians of $runs runs:"
summary ours "$scratch/linux.txt"
if [ "$wine_half" = 1 ]; then
    summary Wine "$scratch/wine.txt"
    [ -s "$scratch/linux.txt" ] && [ -s "$scratch/wine.txt" ] && awk -v of="$(cut -d' ' -f2 "$scratch/linux.txt" | median)" -v wf="$(cut -d' ' -f2 "$scratch/wine.txt" | median)" \
        -v oc="$(cut -d' ' -f3 "$scratch/linux.txt" | median)" -v wc="$(cut -d' ' -f3 "$scratch/wine.txt" | median)" \
        -v os="$(cut -d' ' -f1 "$scratch/linux.txt" | median)" -v ws="$(cut -d' ' -f1 "$scratch/wine.txt" | median)" 'BEGIN {
        if (wf > 0) printf "Game fps: ours/Wine = %.2f (target >= 2.0; above 1 means ours draws faster)\n", of / wf
        if (oc > 0) printf "Game CPU a frame: Wine/ours = %.2f (target >= 2.5; above 1 means ours costs less a frame)\n", wc / oc
        if (os > 0) printf "Game start-up: Wine/ours = %.2f (above 1 means ours starts faster)\n", ws / os
    }'
fi
if [ -s "$scratch/floor_ms.txt" ]; then
    awk -v f="$(median <"$scratch/floor_ms.txt")" -v os="$([ -s "$scratch/linux.txt" ] && cut -d' ' -f1 "$scratch/linux.txt" | median)" \
        -v ws="$([ -s "$scratch/wine.txt" ] && cut -d' ' -f1 "$scratch/wine.txt" | median)" 'BEGIN {
        printf "Start-up floor (a bare SDL + OpenGL window, cleared and presented): %.0f ms", f
        if (os > 0) printf "; ours takes %.0f ms more", os - f
        if (ws > 0) printf "; floor/Wine = %.2f", f / ws
        print ""
    }'
fi
stages linux ours
[ "$wine_half" = 1 ] && stages wine Wine
exit $status
