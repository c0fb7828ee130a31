# make run   - install what is missing, build, start the tool
# make test  - install what is missing, build, run every test
# make package - build, then a Debian package (.deb) in BUILD_DIR
# make demo  - as root: the tool with an emulated controller on a pseudo-terminal, no hardware
# make test-asan - the whole suite again, built with AddressSanitizer and UBSan (in ASAN_DIR)
# make fuzz  - the fuzz targets (clang, libFuzzer; in FUZZ_DIR), each for FUZZ_SECONDS
# make windows - the Windows tool and its tests, cross-built with MinGW-w64 (in WINDOWS_DIR)
# make windows-package - the Windows installer and the portable .zip (in WINDOWS_DIR)
# make test-windows - the Windows tests under Wine (part of make test)
# make web - the tool as a static page: the core and the session in WebAssembly (in WEB_DIR)
# make test-web - the core and session tests under Node and the page in headless Chromium (part of make test)
# make web-run - serves WEB_DIR on 127.0.0.1 and opens it in Chromium when there is a display
# make web-package - WEB_DIR's page as a .zip for any static host
# make bench - the benchmarks, built in Release (in BENCH_DIR); not part of make test
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
ifdef CI
CMAKE_FLAGS += -DPELMORA_WERROR=ON
endif
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
# make test runs every fuzz target this long, so that a broken target fails the test run.
FUZZ_SMOKE_SECONDS ?= 5
BENCH_DIR ?= build-bench
WINDOWS_DIR ?= build-windows
WEB_DIR ?= build-web
WEB_PORT ?= 8625

.PHONY: all deps build run test package demo test-asan fuzz fuzz-build bench windows windows-package test-windows web test-web web-run web-package

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR)

run: build
	$(BUILD_DIR)/src/pelmora

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j2
	$(MAKE) --no-print-directory test-windows
	$(MAKE) --no-print-directory test-web
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(FUZZ_SMOKE_SECONDS)

# -O1: the sanitized tests run several times faster than at -O0, and the reports keep their lines.
# The sanitizer options (halt on the first report, leak detection) are set per test executable
# in tests/sanitizer/sanitizer.cmake.
test-asan: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
		-DPELMORA_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build $(ASAN_DIR)
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j2

# The Windows tests reach the Linux build's controller emulator through a COM link of Wine's.
windows: deps
	cmake -S . -B $(WINDOWS_DIR) -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
		-DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DPELMORA_HOST_BUILD=$(abspath $(BUILD_DIR)) $(CMAKE_FLAGS)
	cmake --build $(WINDOWS_DIR)

# make windows builds them too (whenever makensis is there, which deps installs); this names them alone.
windows-package: windows
	cmake --build $(WINDOWS_DIR) --target windows-package

test-windows: windows
	scripts/windows-tests $(WINDOWS_DIR)

# Built with -Werror always: the page's compiler is another than the desktop's, and its warnings
# are the first sign of code that one of the two standard libraries does not have.
web: deps
	emcmake cmake -S . -B $(WEB_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELMORA_WERROR=ON \
		-DPELMORA_HOST_BUILD=$(abspath $(BUILD_DIR)) $(CMAKE_FLAGS)
	cmake --build $(WEB_DIR)

# The page's browser test talks to the Linux build's controller emulator.
test-web: build web
	ctest --test-dir $(WEB_DIR) --output-on-failure -j2

web-package: web
	cmake --build $(WEB_DIR) --target web-package

web-run: web
	scripts/web-run $(WEB_DIR) $(WEB_PORT)

fuzz-build: deps
	CC=clang CXX=clang++ cmake -S fuzz -B $(FUZZ_DIR) -G Ninja
	cmake --build $(FUZZ_DIR)

fuzz: fuzz-build
	fuzz/run-fuzzers $(FUZZ_DIR) $(FUZZ_SECONDS)

package: build
	cd $(BUILD_DIR) && cpack -G DEB

demo:
	@scripts/demo --check-root
	$(MAKE) --no-print-directory build
	scripts/demo $(BUILD_DIR)

# The start-up figures need an X server: under xvfb-run when it is there, else headless.
bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELMORA_BUILD_BENCH=ON $(CMAKE_FLAGS)
	cmake --build $(BENCH_DIR) --target pelmora-bench
	if command -v xvfb-run >/dev/null; then \
		xvfb-run -a -s "-screen 0 1280x1024x24" $(BENCH_DIR)/bench/pelmora-bench; \
	else \
		$(BENCH_DIR)/bench/pelmora-bench; \
	fi
	$(MAKE) --no-print-directory web
	node bench/web_bench.mjs --page $(WEB_DIR) --emulator $(BENCH_DIR)/tools/controller-emulator/controller-emulator
