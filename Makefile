# make test: install what is missing, build, run every test.
# make run:  install, build quietly, open the dialog (or run the demo script without a
#            terminal); drive E: of the program is build/demo, kept between runs.
# make sanitize: everything built with ASan and UBSan in build-sanitize/, every
#   test run there; the read-ahead's tests and a whole export under
#   ThreadSanitizer (build-tsan/, only those targets); then each fuzz target
#   (clang, libFuzzer) for FUZZ_TIME seconds.
# make windows:      cross-build the Windows programs into build-win/dist/ and
#                    zip that folder (build-win/ZelExport-windows.zip).
# make test-windows: the Windows build's tests under Wine (after the Linux build).
# make format: the sources formatted in place as .clang-format says.
# make test-report: the control sheet of zelverify rendered by headless Chromium
#   (build/report.png, build/report.pdf) and checked from its DOM.
BUILD   ?= build
WIN_BUILD ?= build-win
JOBS    ?= $(shell nproc)
PACKAGES = g++ make cmake pkg-config sqlite3 libsqlite3-dev libncurses-dev nlohmann-json3-dev \
           libgtest-dev libgmock-dev libbenchmark-dev tmux less strace procps
# The cross compiler, Wine to run zelpkg at build time, what makes
# SQLite's amalgamation from Debian's source package, and zip for the
# folder handed to Windows users.
WIN_PACKAGES = $(PACKAGES) g++-mingw-w64-x86-64 wine64 dpkg-dev tcl zip
# Xvfb and xdotool for the Windows dialog, xwd and netpbm for its picture,
# a Japanese font for its texts.
WIN_TEST_PACKAGES = $(WIN_PACKAGES) xvfb xdotool x11-apps netpbm fonts-ipafont-gothic
WINE_ENV = WINEPREFIX=$(abspath $(WIN_BUILD))/wine WINEDEBUG=-all
SUDO    := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
# Chromium for the control sheet's browser test, a Japanese font for its
# texts, poppler-utils to look at the PDF's pages (pdftoppm).
REPORT_PACKAGES = $(PACKAGES) chromium fonts-ipafont-gothic poppler-utils
SANITIZE_BUILD ?= build-sanitize
TSAN_BUILD ?= build-tsan
SANITIZE_PACKAGES = clang libclang-rt-dev
# Eleven targets: about four minutes in all.
FUZZ_TIME ?= 20
# Stop at the first finding, with its stack.
SANITIZER_ENV = ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
TSAN_ENV = TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

.PHONY: all deps configure build test test-report run bench format clean sanitize windows-deps windows \
        test-windows-deps test-windows

all: build

# $(call install,PACKAGES): installs those that are missing.
define install
	@missing=""; for p in $(1); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq \
	    -o DPkg::Lock::Timeout=600 $$missing; \
	fi
endef

deps:
	$(call install,$(PACKAGES))

configure: deps
	@cmake -S . -B $(BUILD) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-report: build
	$(call install,$(REPORT_PACKAGES))
	cd $(BUILD) && ZEL_REQUIRE_BROWSER=1 ctest --output-on-failure -R 'ControlSheetTest\.Browser'
	@echo "The control sheet as Chromium shows it: $(BUILD)/report.png, $(BUILD)/report.pdf"

# Quiet: what make run needs is built with its output kept in a log, shown
# only when the build fails.
run: configure
	@echo "Building the program (the build's output is shown only if it fails)..."
	@cmake --build $(BUILD) -j $(JOBS) --target ZelEna20ToMx13 package_db >$(BUILD)/run-build.log 2>&1 \
	  || { cat $(BUILD)/run-build.log; echo "The build failed."; exit 1; }
	@sh app/run.sh $(BUILD)

# Formats the sources in place as .clang-format says (test data excepted).
format:
	$(call install,clang-format)
	@git ls-files '*.cpp' '*.h' | grep -v '/testdata/' | xargs clang-format -i

# The benchmarks, then the whole program beside a plain SQLite dump (stores
# of 100,000 and 1,000,000 assets made once under $(BUILD)/bench-data).
bench: build
	@for b in $(BUILD)/bench-bin/*; do [ -x "$$b" ] && "$$b"; done
	@$(BUILD)/bench-run/side_by_side --bin $(BUILD)/bin --cache $(BUILD)/bench-data --pairs 5
	@bench/batch_side_by_side.sh $(CURDIR)/$(BUILD)/bin $(CURDIR)/$(BUILD)/bench-data/batch

sanitize:
	$(call install,$(PACKAGES) $(SANITIZE_PACKAGES))
	@cmake -S . -B $(SANITIZE_BUILD) -DZEL_SANITIZE=ON >/dev/null
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)
	@cmake -S . -B $(TSAN_BUILD) -DZEL_TSAN=ON >/dev/null
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target read_ahead_test ZelEna20ToMx13 zelpkg zelverify
	$(TSAN_ENV) $(TSAN_BUILD)/test-bin/read_ahead_test
	$(TSAN_ENV) sh tests/tsan_export.sh $(TSAN_BUILD)
	@cmake -S . -B $(SANITIZE_BUILD)/fuzz -DZEL_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	cmake --build $(SANITIZE_BUILD)/fuzz --target fuzz -j $(JOBS)
	$(SANITIZER_ENV) sh fuzz/run.sh $(SANITIZE_BUILD)/fuzz $(FUZZ_TIME)

windows-deps:
	$(call install,$(WIN_PACKAGES))

windows: windows-deps
	@sh windows/sqlite-source.sh $(WIN_BUILD)/sqlite
	@cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=windows/toolchain-mingw64.cmake \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	$(WINE_ENV) cmake --build $(WIN_BUILD) -j $(JOBS)
	@rm -f $(WIN_BUILD)/ZelExport-windows.zip
	@cd $(WIN_BUILD) && zip -qr ZelExport-windows.zip dist
	@echo "The Windows programs: $(WIN_BUILD)/dist/, to hand over: $(WIN_BUILD)/ZelExport-windows.zip"

test-windows-deps:
	$(call install,$(WIN_TEST_PACKAGES))

test-windows: test-windows-deps build windows
	$(WINE_ENV) sh windows/test-windows.sh $(WIN_BUILD) $(BUILD)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(TSAN_BUILD)
