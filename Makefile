# The two commands a newcomer needs: `make run` and `make test`.
# Both install the missing Debian packages first (tools/install-deps.sh).

BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

PREFIX ?= /usr/local

.PHONY: run test build deps configure install uninstall package fuzz sanitize bench clean sheet

# One shell for the check and the start, so that no display stops both.
run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	  echo "No display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so no window can open."; \
	  echo "The game is built in $(BUILD)/game/. To run it without a window:"; \
	  echo "  $(BUILD)/game/quillmoor --headless --script tests/e2e/splash_wait.qms"; \
	  exit 1; \
	else \
	  $(BUILD)/game/quillmoor; \
	fi

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then \
	  cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS); \
	fi

deps:
	@tools/install-deps.sh

# Installs below PREFIX (bin/, share/); DESTDIR is honoured for staging.
# Every install is remembered in $(BUILD)/installed_files.txt, which
# `make uninstall` reads to remove those files again.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(abspath $(PREFIX))"
	@cat $(BUILD)/install_manifest.txt >> $(BUILD)/installed_files.txt
	@echo >> $(BUILD)/installed_files.txt

uninstall:
	cmake -DLIST="$(abspath $(BUILD))/installed_files.txt" -P cmake/Uninstall.cmake

# The Debian package, in $(BUILD)/package/.
package: build
	cd $(BUILD) && cpack -G DEB

# AddressSanitizer and UndefinedBehaviorSanitizer build of the game and tests.
sanitize: deps
	cmake -S . -B build-asan -G Ninja -DQUILLMOOR_SANITIZE=ON
	cmake --build build-asan -j $(JOBS)
	cd build-asan && LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp ctest --output-on-failure -j $(JOBS)

# libFuzzer targets (clang). Run one with, e.g.:
#   build-fuzz/tests/fuzz/fuzz_ini -max_total_time=60 tests/fuzz/corpus/ini
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQUILLMOOR_FUZZ=ON
	cmake --build build-fuzz -j $(JOBS)

# A contact sheet of every picture for looking the set over: $(BUILD)/sheet/sheet.png
# and its further pages sheet-2.png, sheet-3.png, ... (painted into a scratch folder).
sheet: configure
	cmake --build $(BUILD) --target artgen
	$(BUILD)/tools/artgen --src content/art --out $(BUILD)/sheet/images --pictures content/pictures.txt \
	  --sprites content/sprites.txt --items content/items.txt --levels content/levels --sheet $(BUILD)/sheet/sheet.png
	@echo "sheet: $(BUILD)/sheet/sheet*.png"

bench: build
	$(BUILD)/bench/quillmoor_bench

clean:
	rm -rf $(BUILD) build-asan build-fuzz
