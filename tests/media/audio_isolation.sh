#!/bin/bash
# The game keeps to its own side of the sound system:
# - it defines none of FluidSynth's or ALSA's functions, so every library in
#   the process binds to their own;
# - no unit or widget test opens an audio output: the suite without the
#   end-to-end and package tests, run again under strace, opens no PCM
#   device, loads no ALSA PCM plugin and connects to no sound server.
# Exits 77 (skipped) where strace is missing or may not trace.
set -euo pipefail
ctest=$1 build=$2 game=$3

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

borrowed=$(nm -D --defined-only "$game" | awk '$3 ~ /^(snd_|fluid_)/ {print $3}')
[[ -z $borrowed ]] || fail "the game defines functions of the sound libraries: $borrowed"
echo "the game defines no snd_ or fluid_ function"

command -v strace >/dev/null || skip "strace not found (Debian: strace)"
work=$(mktemp -d "${TMPDIR:-/tmp}/milta-audio.XXXXXX")
trap 'rm -rf "$work"' EXIT
strace -f -qq -o /dev/null true 2>"$work/probe" ||
    skip "strace may not trace a program here: $(head -c 300 "$work/probe")"

# Every test but this one, the end-to-end and the package tests. A sanitizer
# build's leak check stops the threads with ptrace, which a traced program
# cannot: leaks are the plain sanitizer run's business.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
strace -f -qq --seccomp-bpf -e trace=execve,open,openat,connect -o "$work/trace" \
    "$ctest" --test-dir "$build" -LE 'e2e|package|audit' --output-on-failure >"$work/suite.log" 2>&1 ||
    { cat "$work/suite.log"; fail "the suite failed when run under strace"; }

found=$(grep -E -e '"/dev/(snd/pcm|dsp)|libasound_module_pcm_' \
                -e 'connect\(.*(pulse|pipewire|jack|esound|AF_INET)' "$work/trace" || true)
if [[ -n $found ]]; then
    # Each call with the program its process ran.
    while read -r pid call; do
        program=$(grep -E "^$pid +execve\(" "$work/trace" | tail -n1 | cut -d'"' -f2 || true)
        echo "${program:-?}: $call"
    done <<<"$found" | sort -u | head -n 20
    fail "a test reached for an audio output"
fi
echo "$(grep -c 'execve(' "$work/trace") programs traced: no audio output opened, no sound server called"
