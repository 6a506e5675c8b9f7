# Set-up commands. `make test` and `make run` work from a fresh clone on Debian 12:
# they install what is missing, configure, build and then test or start Cyclune.
PRESET ?= release
BUILD  := build/$(PRESET)

.PHONY: all deps configure build test run asan bench package clean

all: build

deps:
	scripts/install-deps

configure: deps
	cmake --preset $(PRESET)

build: configure
	cmake --build --preset $(PRESET) -j2

test: build
	ctest --preset $(PRESET)

# The window when a display is named, the terminal otherwise; `make run ARGS=--terminal`.
run: build
	$(BUILD)/cyclune $(ARGS)

asan:
	$(MAKE) test PRESET=asan

bench: build
	scripts/run-benchmarks $(BUILD)

# The Debian package, $(BUILD)/cyclune_<version>_<arch>.deb: sudo apt install ./that-file
package: build
	cmake --build --preset $(PRESET) --target package

clean:
	rm -rf build
