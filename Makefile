# Set-up commands. `make run`, `make test` and `make package` work from a fresh clone on
# Debian 12: they install what is missing (scripts/install-deps), configure, build, and then
# start Cyclune, test it or package it. Running and packaging need only the build tools and
# the libraries, and build only the program; `make test` installs the test tools too and adds
# the tests and benchmarks to the build folder, which keeps them from then on.
PRESET ?= release
BUILD  := build/$(PRESET)

.PHONY: all deps package-deps test-deps configure configure-tests build program test run \
        asan bench package clean

all: build

deps:
	scripts/install-deps

package-deps:
	scripts/install-deps --package

test-deps:
	scripts/install-deps --test

# A new build folder holds the program alone; one that has the tests keeps them.
configure: deps
	test -f $(BUILD)/CMakeCache.txt || cmake --preset $(PRESET) -DCYCLUNE_TESTS=OFF

configure-tests: test-deps
	cmake --preset $(PRESET) -DCYCLUNE_TESTS=ON

build: configure
	cmake --build --preset $(PRESET) -j2

# The program, its modules and the files `cmake --install` puts beside them.
program: configure
	cmake --build --preset $(PRESET) -j2 --target cyclune cyclune_install_data

test: configure-tests
	cmake --build --preset $(PRESET) -j2
	ctest --preset $(PRESET)

# The window when a display is named, the terminal otherwise; `make run ARGS=--terminal`.
run: program
	$(BUILD)/cyclune $(ARGS)

asan:
	$(MAKE) test PRESET=asan

bench: configure-tests
	cmake --build --preset $(PRESET) -j2
	scripts/run-benchmarks $(BUILD)

# The Debian package, $(BUILD)/cyclune_<version>_<arch>.deb: sudo apt install ./that-file
package: package-deps configure
	cmake --build --preset $(PRESET) -j2 --target package

clean:
	rm -rf build
