# make run   - install what is missing, build, start the tool
# make test  - install what is missing, build, run every test
# make package - build, then a Debian package (.deb) in BUILD_DIR
# make demo  - as root: the tool with an emulated controller on a pseudo-terminal, no hardware
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
ifdef CI
CMAKE_FLAGS += -DPELMORA_WERROR=ON
endif

.PHONY: all deps build run test package demo

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

package: build
	cd $(BUILD_DIR) && cpack -G DEB

demo:
	@scripts/demo --check-root
	$(MAKE) --no-print-directory build
	scripts/demo $(BUILD_DIR)
