# Commands: setup, build, test, demo (see README.md).
JOBS ?= 2
# The build trees are made by cmake; their directory changes are not news.
MAKEFLAGS += --no-print-directory
WIN32_BUILD ?= build/win32
WIN64_BUILD ?= build/win64
NATIVE_BUILD ?= build/native
FUZZ_BUILD ?= build/fuzz
TSAN_BUILD ?= build/tsan

.PHONY: setup tools build build-win32 build-win64 native fuzz tsan test test-native test-fuzz test-tsan fuzz-long sequences-long \
        test-wine test-win32 test-win64 demo clean

setup:
	bash tools/setup.sh

# Every command that needs a tool runs this first: it installs what is
# missing (make setup) and is silent otherwise.
tools:
	@bash tools/setup.sh --if-missing $(SETUP_FOR)

# configure(<build tree>, <cmake arguments>): a configure that fails leaves
# no cache behind, so the next run configures again instead of building a
# half-made tree. Its output is kept in <build tree>.configure.log.
define configure
	@mkdir -p $(dir $(1))
	@echo "-- configuring $(1), once (a few seconds; log: $(1).configure.log)"
	@cmake -S . -B $(1) $(2) >$(1).configure.log 2>&1 || { \
	    rm -f $(1)/CMakeCache.txt; cat $(1).configure.log >&2; \
	    echo "make: configuring $(1) failed (log: $(1).configure.log)" >&2; exit 1; }
endef

$(WIN32_BUILD)/CMakeCache.txt: | tools
	$(call configure,$(WIN32_BUILD),-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_PEER_BUILD=$(abspath $(WIN64_BUILD)))

$(WIN64_BUILD)/CMakeCache.txt: | tools
	$(call configure,$(WIN64_BUILD),-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARN_PEER_BUILD=$(abspath $(WIN32_BUILD)))

# Both Windows builds: the 32-bit product and the same sources at 64 bits.
build: build-win32 build-win64

build-win32: tools $(WIN32_BUILD)/CMakeCache.txt
	@[ ! -e $(WIN32_BUILD)/msvc-tools-missing ] || cmake $(WIN32_BUILD) >$(WIN32_BUILD).configure.log 2>&1
	@echo "-- building win32 (i686): modules, stand-ins, tests, benchmarks and the example host"
	cmake --build $(WIN32_BUILD) -j $(JOBS)

build-win64: tools $(WIN64_BUILD)/CMakeCache.txt
	@[ ! -e $(WIN64_BUILD)/msvc-tools-missing ] || cmake $(WIN64_BUILD) >$(WIN64_BUILD).configure.log 2>&1
	@echo "-- building win64 (x86_64): modules, stand-ins, tests, benchmarks and the example host"
	cmake --build $(WIN64_BUILD) -j $(JOBS)

$(NATIVE_BUILD)/CMakeCache.txt: | tools
	$(call configure,$(NATIVE_BUILD),-DCMAKE_BUILD_TYPE=Debug)

native: $(NATIVE_BUILD)/CMakeCache.txt
	cmake --build $(NATIVE_BUILD) -j $(JOBS)

$(FUZZ_BUILD)/CMakeCache.txt: | tools
	$(call configure,$(FUZZ_BUILD),-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTARN_FUZZ=ON -DCMAKE_BUILD_TYPE=Debug)

fuzz: $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

$(TSAN_BUILD)/CMakeCache.txt: | tools
	$(call configure,$(TSAN_BUILD),-DCMAKE_BUILD_TYPE=Debug -DTARN_SANITIZE=OFF -DTARN_TSAN=ON)

tsan: $(TSAN_BUILD)/CMakeCache.txt
	cmake --build $(TSAN_BUILD) -j $(JOBS)

test-tsan: tsan
	cd $(TSAN_BUILD) && ctest --output-on-failure

test-native: native
	cd $(NATIVE_BUILD) && ctest --output-on-failure

test-fuzz: fuzz
	cd $(FUZZ_BUILD) && ctest --output-on-failure

# Deeper fuzzing, not part of `make test`: FUZZ_RUNS inputs per target.
FUZZ_RUNS ?= 10000000
fuzz-long: fuzz
	tools/fuzz-long $(abspath $(FUZZ_BUILD)) $(FUZZ_RUNS)

# Long runs of the sequence testers, not part of `make test`: each module's
# tester for SEQUENCE_STEPS steps on every architecture this machine runs,
# printing steps, seconds and findings per module (tools/sequences-long).
SEQUENCE_STEPS ?= 1000000
sequences-long: build
	tools/sequences-long $(abspath $(WIN64_BUILD)) $(abspath $(WIN32_BUILD)) $(SEQUENCE_STEPS)

# The Wine suite of every architecture this machine can run (a probe
# decides), ending with one line per architecture; beside each, the test
# bundle's runner under Wine's own cmd, whose counts must be ctest's.
WINE_SUITES = --bundle $(TEST_BUNDLE) $(abspath $(WIN64_BUILD)) $(abspath $(WIN32_BUILD)) \
              --output-on-failure $(CTEST_ARGS)
test-wine: test-bundle
	tools/test-wine-suites $(WINE_SUITES)

# One architecture's Wine suite alone.
test-win32: build-win32
	TARN_WIN_BUILD=$(abspath $(WIN32_BUILD)) tools/test-wine --output-on-failure $(CTEST_ARGS)

test-win64: build-win64
	TARN_WIN_BUILD=$(abspath $(WIN64_BUILD)) tools/test-wine --output-on-failure $(CTEST_ARGS)

# Everything. The Wine suites spend most of their time waiting on Wine, so
# the native, ThreadSanitizer and fuzz builds and tests run beside them, at
# the lowest priority, and their output is shown when they end. The Wine
# suites' lines end the output.
test: tools test-dist test-bundle
	tools/test-wine-suites --beside "nice -n 19 $(MAKE) test-native test-tsan test-fuzz" $(WINE_SUITES)

# The architecture the demo and the benchmarks run on: the product's own
# (32-bit) where this machine can run it, else the 64-bit build.
RUN_ARCH = $(shell tools/probe-32bit >/dev/null 2>&1 && echo win32 || echo win64)

# The demo builds only what its tour needs, for the one architecture it runs
# on: the modules, the stand-ins, the example host and its samples.
DEMO_TARGETS = host_bundle host_samples
# Its set-up installs only what the demo needs (make test adds the rest).
# TARN_DPI=<n> make demo shows the host at n DPI (tools/demo.sh).
demo:
	@bash tools/demo.sh --scaling
	@$(MAKE) tools SETUP_FOR=--demo
	@arch=$(RUN_ARCH); build=$$( [ $$arch = win32 ] && echo $(WIN32_BUILD) || echo $(WIN64_BUILD) ); \
	if [ $$arch = win32 ]; then echo "-- the demo runs on the 32-bit build (win32), the product the host applications load"; \
	else echo "-- the demo runs on the 64-bit build (win64): this machine cannot run 32-bit code"; fi; \
	$(MAKE) $$build/CMakeCache.txt SETUP_FOR=--demo || exit 1; \
	echo "-- building $$arch for the demo: $(DEMO_TARGETS) (the modules, the stand-ins, the example host and its samples; no tests; about 2 minutes the first time)"; \
	tools/long-step "building $$arch" $$build.demo-build.log cmake --build $$build -j $(JOBS) --target $(DEMO_TARGETS) || exit 1; \
	TARN_WIN_BUILD=$(abspath .)/$$build bash tools/demo.sh || { echo "demo: the tour failed (its log: build/demo/tour-log.txt)" >&2; exit 1; }

clean:
	rm -rf build

# Benchmarks print their figures, each under a heading that names the
# architecture, and then the size of every shipped module of both builds
# (cmake/module_sizes.cmake); they are not tests and `make test` skips them.
# The endurance benchmark's share of its full counts (1 takes hours under
# Wine: 100,000 loads of each module, 10,000 expansions of 200 folders).
ENDURANCE_SCALE ?= 0.02
.PHONY: bench
bench: tools
	@arch=$(RUN_ARCH); build=$$( [ $$arch = win32 ] && echo $(WIN32_BUILD) || echo $(WIN64_BUILD) ); \
	echo "-- benchmarks on the $$arch build"; \
	$(MAKE) build-$$arch || exit 1; for b in foldertree helpview plugins rotate endurance; do \
	    TARN_ENDURANCE_SCALE=$(ENDURANCE_SCALE) TARN_WIN_BUILD=$(abspath .)/$$build \
	        tools/run-wine $$build/bench/$${b}_bench.exe || exit 1; done; \
	echo "-- module sizes: fully stripped, and the code from the link maps, own against the static runtime's"; \
	echo "   (the $$arch build was made above; the other architecture's tree, if any, is measured as it stands)"; \
	cmake -DBUILDS="win32=$(abspath $(WIN32_BUILD));win64=$(abspath $(WIN64_BUILD))" -P cmake/module_sizes.cmake

# The package for host applications: the 32-bit modules, headers, import
# libraries, .def files, the API reference, helpview-send and the
# stand-ins, with the 64-bit modules and import libraries beside them
# (bin64/, lib64/, stand-ins64/), as $(DIST_DIR)/tarn-support-<version>.zip,
# and the modules' PDBs as $(DIST_DIR)/tarn-support-symbols-<version>.zip.
# `make test` checks what they hold, and starts the viewer from the
# unpacked package under Wine (tests/dist_viewer_check.sh).
DIST_DIR ?= build/dist
DIST_TARGETS = audiolink foldertree helpview helpview-send themekit jaocx20
.PHONY: dist test-dist
dist: $(WIN32_BUILD)/CMakeCache.txt $(WIN64_BUILD)/CMakeCache.txt
	cmake --build $(WIN32_BUILD) -j $(JOBS) --target $(DIST_TARGETS)
	cmake --build $(WIN64_BUILD) -j $(JOBS) --target $(DIST_TARGETS)
	cmake -DSOURCE=$(CURDIR) -DBUILD=$(abspath $(WIN32_BUILD)) -DBUILD64=$(abspath $(WIN64_BUILD)) \
	      -DOUT=$(abspath $(DIST_DIR)) -DSTRIP=i686-w64-mingw32-strip -DSTRIP64=x86_64-w64-mingw32-strip \
	      -P cmake/dist.cmake

test-dist: dist
	cmake -DSOURCE=$(CURDIR) -DOUT=$(abspath $(DIST_DIR)) -P tests/dist_check.cmake
	cmake -DSOURCE=$(CURDIR) -DOUT=$(abspath $(DIST_DIR)) -P tests/symbols_check.cmake
	tests/dist_viewer_check.sh $(abspath $(DIST_DIR))
	cmake -DNOTICES=dist/THIRD-PARTY-NOTICES.txt -DBUILDS="$(abspath $(WIN32_BUILD));$(abspath $(WIN64_BUILD))" \
	      -P tests/notices_check.cmake

# The test suite for real Windows: every Wine test program of both builds,
# with what it needs at run time and its runner (run-tests.cmd), as
# $(DIST_DIR)/tarn-support-tests-<version>.zip.
TEST_BUNDLE = $(abspath $(DIST_DIR))/tarn-support-tests-$(shell sed -n 's/.*TARN_VERSION_TEXT "\([0-9.]*\)".*/\1/p' resources/module_version.h).zip
.PHONY: test-bundle
test-bundle: build
	@echo "-- packing the test bundle (both architectures)"
	@cmake -DSOURCE=$(CURDIR) -DBUILD=$(abspath $(WIN32_BUILD)) -DBUILD64=$(abspath $(WIN64_BUILD)) \
	      -DOUT=$(abspath $(DIST_DIR)) -DSTRIP=i686-w64-mingw32-strip -DSTRIP64=x86_64-w64-mingw32-strip \
	      -P cmake/test_bundle.cmake
	@cmake -E tar tf $(TEST_BUNDLE) | grep -q "/THIRD-PARTY-NOTICES.txt$$" && cmake -E tar tf $(TEST_BUNDLE) | grep -q "/LICENSE$$" || \
	    { echo "test bundle: LICENSE or THIRD-PARTY-NOTICES.txt is missing" >&2; exit 1; }
