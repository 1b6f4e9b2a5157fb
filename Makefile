# SPDX-License-Identifier: MIT
# SPDX-FileCopyrightText: 2026 The Kestrova developers
# The whole set-up from a fresh Debian 12 machine: `make run` and `make test`.
SHELL := /bin/bash
BUILD := build
SANITIZE_BUILD := build-sanitize
TSAN_BUILD := build-tsan
JOBS ?= $(shell nproc)
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
CMAKE_FLAGS := -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=RelWithDebInfo

# Build tools, the test and benchmark libraries, Qt 6 Widgets with its platform plugins, and a
# font with the Chinese texts and the box-drawing glyphs.
PACKAGES := cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev \
            qt6-base-dev qt6-qpa-plugins fonts-wqy-microhei
# What the benchmarks compare against, installed by `make bench` only.
BENCH_PACKAGES := fd-find

.PHONY: all deps build test test-sanitize test-thread run bench clean

all: build

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

# The listing's tests, and kestrova-list which they run, under ThreadSanitizer: the directory
# search reads ahead on worker threads.
test-thread: deps
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_FLAGS) -DKESTROVA_TSAN=ON
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target kestrova_listing_tests
	TSAN_OPTIONS=halt_on_error=1 $(TSAN_BUILD)/tests/kestrova_listing_tests

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

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(TSAN_BUILD)
