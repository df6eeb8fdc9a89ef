# Tempiro: `make run` builds the program and starts it under Wine; `make test`
# builds everything and runs every test. Both install what is missing first.
SHELL := /bin/bash
BUILD := build
PACKAGES := cmake ninja-build g++ libgtest-dev googletest \
            g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
            wine wine64 xvfb xauth fonts-wqy-microhei locales fp-utils \
            nsis zip python3
# Wine names host files in the Unix locale's character set: the Wine tests
# run in these two, so that Chinese file names reach the disk.
LOCALES := zh_CN.UTF-8 en_US.UTF-8
BENCH_PACKAGES := rsync
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
WINE_ENV := WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all

.PHONY: all deps bench-deps native win64 win32 test run clean dist sizes screenshots

all: deps native win64 win32

# Installs whichever of the packages named in $(1) are missing.
define install_missing
@missing=$$(for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || echo $$p; done); \
	if [ -n "$$missing" ]; then \
	  echo "Installing:" $$missing; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi
endef

deps:
	$(call install_missing,$(PACKAGES))
	@for l in $(LOCALES); do \
	  locale -a 2>/dev/null | grep -qix "$$(echo $$l | sed 's/UTF-8/utf8/')" || { \
	    echo "$$l UTF-8" | $(SUDO) tee -a /etc/locale.gen >/dev/null; need=1; }; \
	done; \
	if [ -n "$$need" ]; then $(SUDO) locale-gen >/dev/null; fi

# What the benchmarks compare against.
bench-deps:
	$(call install_missing,$(BENCH_PACKAGES))

native: deps
	@[ -f $(BUILD)/native/build.ninja ] || cmake -S . -B $(BUILD)/native -G Ninja
	ninja -C $(BUILD)/native

win64: deps
	@[ -f $(BUILD)/win64/build.ninja ] || cmake -S . -B $(BUILD)/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
	ninja -C $(BUILD)/win64

win32: deps
	@[ -f $(BUILD)/win32/build.ninja ] || cmake -S . -B $(BUILD)/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DTEMPIRO_WINE_TESTS=OFF
	ninja -C $(BUILD)/win32

test: all
	ctest --test-dir $(BUILD)/native --output-on-failure
	ctest --test-dir $(BUILD)/win64 --output-on-failure

# The scheduler tick benchmarks, natively and against the real registry under
# Wine (in a throwaway prefix), the backup engine beside rsync and cp on a tree
# of small files, and the settings import, natively; they print figures and
# are not part of `test`.
.PHONY: bench
bench: bench-deps native win64
	$(BUILD)/native/bench/tempiro_bench
	$(BUILD)/native/bench/tempiro_backup_bench
	$(BUILD)/native/bench/tempiro_import_bench
	bash tests/wine/run_in_prefix.sh $(abspath $(BUILD))/win64/wine-template en_US.UTF-8 \
	  $(abspath $(BUILD))/win64/Tempiro.exe $(abspath $(BUILD))/win64/bench/tempiro_wine_bench.exe

# The installer dist/Tempiro-Setup-<version>.exe and the portable archive
# dist/Tempiro-<version>.zip, the version from the file VERSION; signed when
# TEMPIRO_SIGN_CERT and TEMPIRO_SIGN_KEY name a certificate and its key.
dist: deps win64 win32
	@if [ -n "$$TEMPIRO_SIGN_CERT" ] && ! command -v osslsigncode >/dev/null; then \
	  $(SUDO) apt-get install -y -qq --no-install-recommends osslsigncode; fi
	bash installer/dist.sh $(BUILD) dist
	@bash installer/sizes.sh $(BUILD) dist

# The sizes of the installer and the programs against their targets.
sizes:
	@bash installer/sizes.sh $(BUILD) dist

# The README's pictures into docs/screenshots, taken under Wine: the windows
# on a private Xvfb display (installs ImageMagick when it is missing), and the
# settings window and the task editor at 100 % and 150 % from the DPI tests.
screenshots: deps win64
	bash tests/wine/screenshots.sh $(BUILD)/win64
	rm -rf $(BUILD)/win64/screenshots
	ctest --test-dir $(BUILD)/win64 -R 'wine\.Dpi' --output-on-failure
	python3 cmake/bmp_to_png.py $(BUILD)/win64/screenshots docs/screenshots

# Runs on $DISPLAY when there is one, otherwise on a private Xvfb display.
run: deps win64
	@export WINEPREFIX=$(CURDIR)/$(BUILD)/run-prefix $(WINE_ENV); \
	if [ -z "$$DISPLAY" ]; then \
	  echo "No DISPLAY: starting Tempiro on a private Xvfb display (nothing will be visible)."; \
	  exec xvfb-run -a -s "-screen 0 1280x800x24" wine $(BUILD)/win64/Tempiro.exe; \
	else \
	  exec wine $(BUILD)/win64/Tempiro.exe; \
	fi

clean:
	rm -rf $(BUILD)
