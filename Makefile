# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# The whole set-up from a fresh Debian 12 machine: `make run` and `make test`; `make package` for
# the Debian package.
SHELL := /bin/bash
BUILD := build
SANITIZE_BUILD := build-sanitize
PACKAGE_BUILD := build-package
TSAN_BUILD := build-tsan
JOBS ?= $(shell nproc)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
CMAKE_FLAGS := -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON \
               -DKESTROVA_BUILD_BENCH=ON

# What the program itself is built from: the compiler, CMake, Qt 6 Widgets with its platform
# plugins, and a font with the Chinese texts and the box-drawing glyphs.
BUILD_PACKAGES := cmake g++ make pkg-config qt6-base-dev qt6-qpa-plugins fonts-wqy-microhei
# For the tests and benchmarks: the test and benchmark libraries, Qt's Chinese translations that
# the windows load, and the validators of the desktop entry and the AppStream metadata.
TEST_PACKAGES := libgtest-dev libbenchmark-dev qt6-translations-l10n appstream desktop-file-utils
# For the Debian package: dpkg-shlibdeps, and lintian to check the result.
PACKAGE_PACKAGES := dpkg-dev lintian

# What the benchmarks compare against, installed by `make bench` only.
BENCH_PACKAGES := fd-find

.PHONY: all deps build test test-sanitize test-thread run bench package clean

all: build

# Installs whichever of PACKAGES (default: building and testing) is missing.
deps: PACKAGES ?= $(BUILD_PACKAGES) $(TEST_PACKAGES)
deps:
	@missing=$$(for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}\n' $$p 2>/dev/null | grep -q 'install ok installed' || echo $$p; \
	done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing Debian packages:" $$missing; \
	  $(SUDO) apt-get update && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	$(MAKE) test-sanitize
	$(MAKE) test-thread

test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) $(CMAKE_FLAGS) -DKESTROVA_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j $(JOBS)

# Under ThreadSanitizer, the tests of the two places that have threads: the listing's (and
# kestrova-list, which they run), whose directory search reads ahead on worker threads, and the
# folder tree's reading of folders.
test-thread: deps
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_FLAGS) -DKESTROVA_TSAN=ON
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target kestrova_listing_tests kestrova_tree_reading_tests
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_BUILD)/tests/kestrova_listing_tests
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_BUILD)/tests/kestrova_tree_reading_tests

run: build
	@if [ -z "$${DISPLAY}$${WAYLAND_DISPLAY}" ] && [ -z "$${QT_QPA_PLATFORM}" ]; then \
	  echo "make run: no display to open the window on (DISPLAY and WAYLAND_DISPLAY are unset)."; \
	  echo "Without one, try: xvfb-run make run, or $(BUILD)/cli/kestrova-list ~"; \
	  exit 1; \
	fi
	$(BUILD)/app/kestrova

bench: build
	$(MAKE) --no-print-directory deps PACKAGES="$(BENCH_PACKAGES)"
	bench/walk.sh
	bench/pane.sh

# The package is built as a distribution builds it: without tests or benchmarks, with Debian's
# hardening flags, installed under /usr; lintian then checks it.
package:
	$(MAKE) deps PACKAGES="$(BUILD_PACKAGES) $(PACKAGE_PACKAGES)"
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all; \
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS)" \
	cmake -S . -B $(PACKAGE_BUILD) -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=None \
	  -DCMAKE_INSTALL_PREFIX=/usr -DBUILD_TESTING=OFF -DKESTROVA_BUILD_BENCH=OFF
	cmake --build $(PACKAGE_BUILD) -j $(JOBS)
	cd $(PACKAGE_BUILD) && cpack -G DEB
	lintian --fail-on error,warning --info $(PACKAGE_BUILD)/kestrova_*.deb
	@ls $(PACKAGE_BUILD)/kestrova_*.deb

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(TSAN_BUILD) $(PACKAGE_BUILD)
