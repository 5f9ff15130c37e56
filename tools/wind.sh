#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up a Debian 12 machine for the project, builds it and then either
# starts the application (run), runs every test (test), runs the window tests
# again on a virtual X server (x11), checks every C++ file against
# .clang-format (format-check), runs every test built
# with AddressSanitizer and UndefinedBehaviorSanitizer (sanitize), runs each
# fuzz target for a while (fuzz [seconds]), runs the benchmark (bench), builds
# the Debian package into dist/ (package) or builds and checks it
# (package-check).
set -euo pipefail

cd "$(dirname "$0")/.."

packages=(build-essential cmake qt6-base-dev qt6-serialport-dev libmosquitto-dev fonts-liberation)
# The notification tests start a message bus of their own; the MQTT tests and
# the benchmark start a broker of their own, read it with mosquitto_sub and
# make their TLS certificates with openssl; the TCP input's test starts a
# gpsd of its own.
test_packages=(dbus-daemon mosquitto mosquitto-clients openssl gpsd)
x_packages=(xvfb xauth)
format_packages=(clang-format)
fuzz_packages=(clang libclang-rt-14-dev)
fuzz_targets=(fuzz-sensorframes fuzz-settings fuzz-nmeawind)
# Scenario 7 of the benchmark also runs under X servers of its own, with a
# private session bus as a desktop has.
package_packages=(dpkg-dev file)
package_check_packages=(lintian desktop-file-utils appstream man-db)

install_missing() {
    local missing=()
    for package in "${packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
}

# The benchmark is built only for the bench command; the cache would keep it
# on otherwise. With targets named, only they and what they need are built:
# the run command builds the application alone, not the tests.
build() {
    local bench="${1:-OFF}"
    shift || true
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DWIND_BUILD_BENCH="$bench"
    if [ $# -gt 0 ]; then
        cmake --build build -j "$(nproc)" --target "$@"
    else
        cmake --build build -j "$(nproc)"
    fi
}

# Any report ends the run: a sanitizer that only prints lets a test pass.
# Leaks are checked too, with no suppressions: Qt's own allocations at exit
# do not show up.
sanitizer_environment() {
    export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
}

sanitize() {
    local flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
        -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="$flags"
    cmake --build build-asan -j "$(nproc)"
    sanitizer_environment
    cd build-asan
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
}

# Each target starts from the seed corpus, copied so that what the fuzzer
# adds stays out of the repository. A crash, a leak, a hang or a failed check
# stops the target with an error and leaves the input that did it in
# build-fuzz/findings/<target>/.
fuzz() {
    local seconds="$1"
    CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DWIND_FUZZ=ON -DBUILD_TESTING=OFF
    cmake --build build-fuzz -j "$(nproc)" --target "${fuzz_targets[@]}"
    sanitizer_environment
    local target scratch findings
    for target in "${fuzz_targets[@]}"; do
        scratch="build-fuzz/corpus/$target"
        findings="build-fuzz/findings/$target"
        rm -rf "$scratch" "$findings"
        mkdir -p "$scratch" "$findings"
        cp fuzz/corpus/"$target"/* "$scratch"/
        echo "== $target: $seconds s"
        "build-fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$findings/" "$scratch"
    done
}

# The tests that show windows, again on a real X server (Xvfb): the offscreen
# platform hides what a window manager's absence, real fonts and sending the
# pixels to the server change.
x_tests() {
    local failed=0 test
    for test in build/tests/app/tst_* build/tests/widgets/tst_*; do
        [[ -x "$test" && ! -d "$test" ]] || continue
        echo "== $test under X"
        QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "$test" || failed=1
    done
    return "$failed"
}

# Every C++ file of the project as the checked-in .clang-format writes it.
format_check() {
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
    echo "== $(git ls-files '*.cpp' '*.h' | wc -l) C++ files formatted"
}

# Built as Debian builds its own packages: its hardened compiler and linker
# flags, installed under /usr, and the settings file in the user's
# configuration folder. CPack strips the executables and asks dpkg-shlibdeps
# for the dependencies.
package() {
    local buildflags=(env DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get)
    cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG \
        -DCMAKE_CXX_FLAGS="$("${buildflags[@]}" CPPFLAGS) $("${buildflags[@]}" CXXFLAGS)" \
        -DCMAKE_EXE_LINKER_FLAGS="$("${buildflags[@]}" LDFLAGS)" \
        -DCMAKE_INSTALL_PREFIX=/usr -DWIND_INSTALLED_BUILD=ON -DBUILD_TESTING=OFF
    cmake --build build-package -j "$(nproc)"
    rm -rf build-package/cpack
    (cd build-package && cpack -G DEB -B "$PWD/cpack")
    mkdir -p dist
    rm -f dist/wind-condition_*.deb
    cp build-package/cpack/wind-condition_*.deb dist/
    ls -l dist/wind-condition_*.deb
}

case "${1:-}" in
run)
    install_missing
    build OFF wind-condition
    exec ./build/wind-condition
    ;;
test)
    install_missing "${test_packages[@]}"
    build
    cd build
    QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
    ;;
x11)
    install_missing "${test_packages[@]}" "${x_packages[@]}"
    build
    x_tests
    ;;
format-check)
    install_missing "${format_packages[@]}"
    format_check
    ;;
sanitize)
    install_missing "${test_packages[@]}"
    sanitize
    ;;
fuzz)
    install_missing "${fuzz_packages[@]}"
    fuzz "${2:-60}"
    ;;
bench)
    install_missing "${test_packages[@]}" "${x_packages[@]}"
    build ON
    QT_QPA_PLATFORM=offscreen ./build/wind-bench
    ;;
package)
    install_missing "${package_packages[@]}"
    package
    ;;
package-check)
    install_missing "${package_packages[@]}" "${package_check_packages[@]}"
    package
    bash tools/check-package.sh dist/wind-condition_*.deb
    ;;
*)
    echo "usage: $0 run|test|x11|format-check|sanitize|fuzz [seconds per target]|bench|package|package-check" >&2
    exit 2
    ;;
esac
