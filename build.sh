#!/usr/bin/env bash
# One entry point for a newcomer and for CI:
#   ./build.sh play       install what is missing, build, start the game in ./play
#   ./build.sh test       install what is missing, build, run every test
#   ./build.sh sanitize   the same tests, built with AddressSanitizer and UBSan
#   ./build.sh tsan       the music service's tests, built with ThreadSanitizer
#   ./build.sh fuzz [s]   the ranking file and MIDI file fuzzers, s seconds each
# A test that cannot run here (a tool missing, tracing forbidden) shows as
# skipped; with MILTA_REFUSE_SKIPS=ON in the environment, as CI sets it, it fails.
set -euo pipefail
cd "$(dirname "$0")"

# Everything comes from Debian's packages.
BUILD_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-tools-dev qt6-l10n-tools libgl-dev libfluidsynth-dev libasound2-dev
                libxcb1-dev libwayland-dev libicu-dev timgm6mb-soundfont fonts-ipafont-gothic python3)
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
TEST_PACKAGES=(xvfb xauth openbox xdotool imagemagick x11-utils strace desktop-file-utils appstream dpkg-dev
               dbus-daemon dbus-bin fcitx5 fcitx5-mozc fcitx5-frontend-qt6 at-spi2-core python3-pyatspi lintian
               weston xwayland qt6-wayland sway grim wtype libwayland-bin
               kwin-wayland kwin-style-breeze plasma-wayland-protocols gnome-shell libglib2.0-bin python3-gi
               orca speech-dispatcher speech-dispatcher-espeak-ng python3-speechd gdb)

install_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}

configure() { # build directory, extra CMake options...
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DMILTA_REFUSE_SKIPS="${MILTA_REFUSE_SKIPS:-OFF}" "$@"
}

build() { # build directory, extra CMake options...
    configure "$@"
    cmake --build "$1"
}

case "${1:-}" in
play)
    install_packages "${BUILD_PACKAGES[@]}"
    # The game alone: `./build.sh test` builds the test programs.
    configure build
    cmake --build build --target milta100m
    # The play folder keeps the ranking between runs; the tunes come fresh.
    mkdir -p play
    cp data/100m.mid data/goal.mid play/
    cd play && exec ../build/src/app/milta100m
    ;;
test)
    install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build build
    ctest --test-dir build --output-on-failure --timeout 600
    ;;
sanitize)
    install_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    build build-sanitize -DCMAKE_BUILD_TYPE=Debug -DMILTA_SANITIZE=ON
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
        ctest --test-dir build-sanitize --output-on-failure --timeout 900
    ;;
tsan)
    # The music service's threads (the synth's, the audio output's) against
    # the user-interface thread. Qt, FluidSynth and ALSA are not instrumented:
    # their locks wait on futexes that ThreadSanitizer cannot see, so what
    # they touch themselves is left out (QtTest's watchdog thread would
    # otherwise be reported at every test's end); the game's own accesses are
    # all checked.
    install_packages "${BUILD_PACKAGES[@]}"
    media_tests=(tst_midifile tst_tuneplayer tst_audiooutput)
    configure build-tsan -DMILTA_TSAN=ON
    cmake --build build-tsan --target "${media_tests[@]}"
    TSAN_OPTIONS="halt_on_error=1 ignore_noninstrumented_modules=1" \
        ctest --test-dir build-tsan --output-on-failure --timeout 600 -R "^($(IFS='|'; echo "${media_tests[*]}"))\$"
    ;;
fuzz)
    install_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}"
    fuzz/run.sh "${2:-30}"
    ;;
*)
    sed -n '2,7p' "$0"
    exit 2
    ;;
esac
