# Ambrin+ — the two commands of the README and their helpers.
#   make run    install what is missing, build, start the recorder
#   make test   install what is missing, check the formatting, build, run every test (plain, then
#               address/undefined-behaviour sanitizers, then thread sanitizer
#               for the engine's concurrent parts)

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc)
WERROR     := $(if $(CI),ON,OFF)
CMAKE_FLAGS ?=
RUN_ARGS   ?=

.PHONY: all deps build medium package test-package run test test-plain test-asan test-tsan bench soak screenshots format format-check clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAMBRIN_WERROR=$(WERROR) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# The installation medium in $(BUILD)/medium: setup, libwizard.so, the staged files, _eng/.
medium: build
	cmake --build $(BUILD) -j $(JOBS) --target medium

# The Debian package in $(BUILD)/package (programs in /opt/ambrin), checked by lintian.
package: build
	cmake --build $(BUILD) -j $(JOBS) --target package_root
	cd $(BUILD) && cpack --config CPackConfig.cmake
	lintian --fail-on error $(BUILD)/package/ambrin_*.deb

# The package's own test: its contents, and the program run from it with a read-only
# program folder. Also part of `make test-plain` (the package takes well under a minute).
test-package: package
	cmake --build $(BUILD) -j $(JOBS) --target package_tests
	cd $(BUILD) && ctest --output-on-failure -L package --timeout 300

run: build
	bash scripts/run.sh $(BUILD) $(RUN_ARGS)

test: format-check test-plain test-asan test-tsan

test-plain: package
	cmake --build $(BUILD) -j $(JOBS) --target package_tests
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

test-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DAMBRIN_WERROR=$(WERROR) -DAMBRIN_SANITIZE=address $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS) --timeout 600 -LE package

test-tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DAMBRIN_WERROR=$(WERROR) -DAMBRIN_SANITIZE=thread $(CMAKE_FLAGS)
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target ambrin_tsan_tests
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
		ctest --output-on-failure -L tsan --timeout 600

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target ambrin_bench
	$(BUILD)/bench/ambrin_bench

# The full day: 24 hours of line audio with 500 calls, fed 40 times faster than real time.
soak: build
	AMBRIN_SOAK_CALLS=500 AMBRIN_SOAK_HOURS=24 $(BUILD)/tests/soak_tests
	AMBRIN_SOAK_BACKUP=1 $(BUILD)/tests/records_tests --gtest_filter='BackupTest.SplitsAtTheRealGibibyteForTheSoak'

# Both shipped skins in every program state, Korean and English, drawn by the skin's own
# elements on a private X server into docs/screenshots/ (the same input gives the same files).
screenshots: build
	cmake --build $(BUILD) -j $(JOBS) --target ambrin_screenshots launcher_window_tests
	rm -f docs/screenshots/*.png
	xvfb-run -a env QT_QPA_PLATFORM=xcb $(BUILD)/tools/screenshots/ambrin_screenshots $(BUILD)/src/app docs/screenshots
	# The launcher normal, under the pointer and pressed, on its own X server.
	AMBRIN_LAUNCHER_SCREENSHOTS=$(CURDIR)/docs/screenshots $(BUILD)/tests/launcher_window_tests --gtest_filter='*HoverAndPressed*'
	cmake --build $(BUILD) --target dialog_pictures  # the dialogs, Korean and English: $(BUILD)/src/app/screenshots/

SOURCES = $(shell git ls-files '*.cpp' '*.h')

format:
	clang-format -i $(SOURCES)

# Every tracked source as clang-format writes it (`make format` mends it).
format-check: deps
	clang-format --dry-run --Werror $(SOURCES)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD)
