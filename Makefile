# Commands: setup, build, test, demo (see README.md).
JOBS ?= 2
WIN32_BUILD ?= build/win32
NATIVE_BUILD ?= build/native
FUZZ_BUILD ?= build/fuzz

.PHONY: setup build native fuzz test test-native test-fuzz test-win32 demo clean

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

test-native: native
	cd $(NATIVE_BUILD) && ctest --output-on-failure

test-fuzz: fuzz
	cd $(FUZZ_BUILD) && ctest --output-on-failure

test-win32: build
	TARN_WIN32_BUILD=$(abspath $(WIN32_BUILD)) tools/test-win32 --output-on-failure $(CTEST_ARGS)

test: test-native test-fuzz test-win32

demo: build
	bash tools/demo.sh

clean:
	rm -rf build
