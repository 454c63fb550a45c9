# Commands: setup, build, test, demo (see README.md).
JOBS ?= 2
# The build trees are made by cmake; their directory changes are not news.
MAKEFLAGS += --no-print-directory
WIN32_BUILD ?= build/win32
NATIVE_BUILD ?= build/native
FUZZ_BUILD ?= build/fuzz
TSAN_BUILD ?= build/tsan

.PHONY: setup build native fuzz tsan test test-native test-fuzz test-tsan test-win32 demo clean

setup:
	bash tools/setup.sh

$(WIN32_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WIN32_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: $(WIN32_BUILD)/CMakeCache.txt
	cmake --build $(WIN32_BUILD) -j $(JOBS)

$(NATIVE_BUILD)/CMakeCache.txt:
	cmake -S . -B $(NATIVE_BUILD) -DCMAKE_BUILD_TYPE=Debug >/dev/null

native: $(NATIVE_BUILD)/CMakeCache.txt
	cmake --build $(NATIVE_BUILD) -j $(JOBS)

$(FUZZ_BUILD)/CMakeCache.txt:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DTARN_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null

fuzz: $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

$(TSAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTARN_SANITIZE=OFF -DTARN_TSAN=ON >/dev/null

tsan: $(TSAN_BUILD)/CMakeCache.txt
	cmake --build $(TSAN_BUILD) -j $(JOBS)

test-tsan: tsan
	cd $(TSAN_BUILD) && ctest --output-on-failure

test-native: native
	cd $(NATIVE_BUILD) && ctest --output-on-failure

test-fuzz: fuzz
	cd $(FUZZ_BUILD) && ctest --output-on-failure

test-win32: build
	TARN_WIN32_BUILD=$(abspath $(WIN32_BUILD)) tools/test-win32 --output-on-failure $(CTEST_ARGS)

test: test-native test-tsan test-fuzz test-win32 test-dist

demo: build
	TARN_WIN32_BUILD=$(abspath $(WIN32_BUILD)) bash tools/demo.sh

clean:
	rm -rf build

# Benchmarks print their figures; they are not tests and `make test` skips them.
.PHONY: bench
bench: build
	TARN_WIN32_BUILD=$(abspath $(WIN32_BUILD)) tools/run-win32 $(WIN32_BUILD)/bench/foldertree_bench.exe
	TARN_WIN32_BUILD=$(abspath $(WIN32_BUILD)) tools/run-win32 $(WIN32_BUILD)/bench/helpview_bench.exe
	TARN_WIN32_BUILD=$(abspath $(WIN32_BUILD)) tools/run-win32 $(WIN32_BUILD)/bench/plugins_bench.exe
	TARN_WIN32_BUILD=$(abspath $(WIN32_BUILD)) tools/run-win32 $(WIN32_BUILD)/bench/rotate_bench.exe

# The package for host applications: modules, headers, import libraries,
# .def files, the API reference, helpview-send and the stand-ins, as
# $(DIST_DIR)/tarn-support-<version>.zip. `make test` checks what it holds.
DIST_DIR ?= build/dist
.PHONY: dist test-dist
dist: $(WIN32_BUILD)/CMakeCache.txt
	cmake --build $(WIN32_BUILD) -j $(JOBS) --target audiolink foldertree helpview helpview-send themekit jaocx20
	cmake -DSOURCE=$(CURDIR) -DBUILD=$(abspath $(WIN32_BUILD)) -DOUT=$(abspath $(DIST_DIR)) \
	      -DSTRIP=i686-w64-mingw32-strip -P cmake/dist.cmake

test-dist: dist
	cmake -DSOURCE=$(CURDIR) -DOUT=$(abspath $(DIST_DIR)) -P tests/dist_check.cmake
