# Entry points for people and CI: run, test, bench, package, install.
# Each target installs the missing packages of its own set first
# (scripts/install-deps SET) and configures CMake as needed.

JOBS ?= $(shell nproc)
CMAKE_GEN := -G Ninja
CONFIG_NORMAL := -DCMAKE_BUILD_TYPE=RelWithDebInfo
CONFIG_ASAN := -DCMAKE_BUILD_TYPE=Debug -DQ31_SANITIZE=ON
CONFIG_WINDOWS := -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
CONFIG_FUZZ := -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQ31_FUZZ=ON -DQ31_BENCH=OFF \
	-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
FUZZ_SECONDS ?= 60
CTEST := ctest --output-on-failure --no-tests=error -j $(JOBS)

.PHONY: all deps build build-asan build-windows run test bench fuzz package install clean

all: build

deps:
	@scripts/install-deps
deps-%:
	@scripts/install-deps $*

build/build.ninja: | deps-run
	cmake -S . -B build $(CMAKE_GEN) $(CONFIG_NORMAL)
build-asan/build.ninja: | deps-test
	cmake -S . -B build-asan $(CMAKE_GEN) $(CONFIG_ASAN)
build-windows/build.ninja: | deps-package
	cmake -S . -B build-windows $(CMAKE_GEN) $(CONFIG_WINDOWS)
build-fuzz/build.ninja: | deps-fuzz
	cmake -S . -B build-fuzz $(CMAKE_GEN) $(CONFIG_FUZZ)

build: deps-run build/build.ninja
	cmake --build build -j $(JOBS)
build-asan: deps-test build-asan/build.ninja
	cmake --build build-asan -j $(JOBS)
build-windows: deps-package build-windows/build.ninja
	cmake --build build-windows -j $(JOBS)

# Only the game: a player needs neither the tests nor the benchmarks.
run: deps-run build/build.ninja
	cmake --build build --target quorvane31 -j $(JOBS)
	exec build/quorvane31

# The sanitizer and Windows runs come first so that the last line printed is
# the normal build's CTest summary.
test: deps-test build build-asan build-windows
	cd build-asan && $(CTEST)
	@# Wine makes windows and Direct3D devices only with an X display, and its
	@# desktop process keeps the display it started with: one private Xvfb for
	@# the whole run, and no server left over from an earlier one.
	-WINEPREFIX=$(CURDIR)/build-windows/wineprefix /usr/lib/wine/wineserver -k 2>/dev/null
	cd build-windows && xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" $(CTEST)
	cd build && $(CTEST)

# The game benchmark compares with the Windows build under Wine.
bench: deps-bench build build-windows
	@for b in build/bench/bench_*; do [ -x "$$b" ] && "$$b" || exit 1; done

# The loaders under libFuzzer for FUZZ_SECONDS each, one target after the
# other, from the committed seeds (tests/assets/fuzz_corpus/<name>) with the
# format's dictionary where it has one (tests/assets/fuzz_dict/<name>.dict).
# All targets by default; one with `make fuzz FUZZ_TARGET=fuzz_png` (or several
# with FUZZ_TARGETS="fuzz_png fuzz_bmp"): fuzz_xfile, fuzz_png, fuzz_jpeg, fuzz_bmp.
# What a run finds new goes to build-fuzz/corpus/<name>, crashes, timeouts
# (over FUZZ_TIMEOUT seconds) and inputs over FUZZ_RSS_MB to build-fuzz/.
FUZZ_TARGETS ?= $(or $(FUZZ_TARGET),fuzz_xfile fuzz_png fuzz_jpeg fuzz_bmp)
FUZZ_TIMEOUT ?= 5
FUZZ_RSS_MB ?= 1024
FUZZ_XFILE_MAX_LEN ?= 8192
FUZZ_MAX_LEN ?= 65536
fuzz: deps-fuzz build-fuzz/build.ninja
	cmake --build build-fuzz --target $(FUZZ_TARGETS) -j $(JOBS)
	@set -e; for t in $(FUZZ_TARGETS); do \
		name=$${t#fuzz_}; dict=tests/assets/fuzz_dict/$$name.dict; \
		maxlen=$(FUZZ_MAX_LEN); [ $$t != fuzz_xfile ] || maxlen=$(FUZZ_XFILE_MAX_LEN); \
		mkdir -p build-fuzz/corpus/$$name; \
		( cd build-fuzz && tests/assets/$$t -max_total_time=$(FUZZ_SECONDS) -max_len=$$maxlen \
			-rss_limit_mb=$(FUZZ_RSS_MB) -malloc_limit_mb=$(FUZZ_RSS_MB) -timeout=$(FUZZ_TIMEOUT) \
			-print_final_stats=1 $$( [ -f $$dict ] && echo -dict=../$$dict ) \
			corpus/$$name ../tests/assets/fuzz_corpus/$$name ); \
	done

# build/quorvane31_<version>_amd64.deb and build-windows/quorvane31-<version>-win64.zip.
package: deps-package build/build.ninja build-windows/build.ninja
	cmake --build build --target package -j $(JOBS)
	cmake --build build-windows --target package -j $(JOBS)

install: build
	cmake --install build

clean:
	rm -rf build build-asan build-windows build-fuzz
