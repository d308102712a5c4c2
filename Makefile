# The two commands a newcomer needs: `make run` and `make test`.
# Both install the missing Debian packages first (tools/install-deps.sh).

BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

PREFIX ?= /usr/local

.PHONY: run test build deps configure install uninstall package fuzz fuzz-long torture sanitize \
        bench window-memory clean sheet

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
# Each target fuzz_NAME has its seed corpus in tests/fuzz/corpus/NAME/.
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

# Every fuzz target for FUZZ_SECONDS, starting from its seed corpus (new
# inputs go to build-fuzz/corpus/, never into the repository), then the
# executions of each.
FUZZ_SECONDS ?= 600
fuzz-long: fuzz
	@failed=""; for t in build-fuzz/tests/fuzz/fuzz_*; do \
	  [ -x "$$t" ] || continue; name=$$(basename $$t); seeds=tests/fuzz/corpus/$${name#fuzz_}; \
	  mkdir -p build-fuzz/corpus/$$name; \
	  $$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 -artifact_prefix=build-fuzz/$$name- \
	    build-fuzz/corpus/$$name $$seeds > build-fuzz/$$name.log 2>&1 || failed="$$failed $$name"; \
	  printf '%-24s %s executions\n' $$name \
	    "$$(sed -n 's/^stat::number_of_executed_units: *//p' build-fuzz/$$name.log)"; \
	done; \
	if [ -n "$$failed" ]; then echo "found faults (see build-fuzz/NAME.log):$$failed"; exit 1; fi

# The kill test at length: KILLS kills of a saving game (at least 200), each
# followed by the check of the saved game; prints the count.
KILLS ?= 200
torture: build
	python3 tests/durability/kill_test.py $(BUILD)/game/quillmoor $(BUILD)/torture --kills $(KILLS)

bench: build
	$(BUILD)/bench/quillmoor_bench

# The game's memory in a real window under Xvfb, walked from the menu
# through the hotel and its neighbours (tools/window_memory.py).
window-memory: build
	python3 tools/window_memory.py --game $(BUILD)/game

clean:
	rm -rf $(BUILD) build-asan build-fuzz
