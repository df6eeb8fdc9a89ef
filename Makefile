# Tempiro: `make run` builds the program and starts it under Wine; `make test`
# builds everything and runs every test. Both install what is missing first.
SHELL := /bin/bash
BUILD := build
PACKAGES := cmake ninja-build g++ libgtest-dev googletest \
            g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
            wine wine64 xvfb xauth fonts-wqy-microhei locales fp-utils \
            nsis zip python3 clang libclang-rt-14-dev
# Wine names host files in the Unix locale's character set: the Wine tests
# run in these two, so that Chinese file names reach the disk.
LOCALES := zh_CN.UTF-8 en_US.UTF-8
BENCH_PACKAGES := rsync
SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)
WINE_ENV := WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all

.PHONY: all deps bench-deps native asan fuzz-build win64 win32 test run clean dist sizes screenshots

all: deps native asan fuzz-build win64 win32

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

# The native tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	@[ -f $(BUILD)/asan/build.ninja ] || cmake -S . -B $(BUILD)/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTEMPIRO_SANITIZE=ON
	ninja -C $(BUILD)/asan

# The libFuzzer harnesses, built with clang from GBK-escaped copies of the
# sources (see fuzz/CMakeLists.txt).
fuzz-build: deps
	@[ -f $(BUILD)/fuzz/build.ninja ] || cmake -S fuzz -B $(BUILD)/fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++
	ninja -C $(BUILD)/fuzz

win64: deps
	@[ -f $(BUILD)/win64/build.ninja ] || cmake -S . -B $(BUILD)/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
	ninja -C $(BUILD)/win64

win32: deps
	@[ -f $(BUILD)/win32/build.ninja ] || cmake -S . -B $(BUILD)/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DTEMPIRO_WINE_TESTS=OFF
	ninja -C $(BUILD)/win32

# Sanitizer findings end their test with a failure: -fno-sanitize-recover
# for UBSan, ASan's own exit code otherwise, leaks included.
SANITIZER_ENV := ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
                 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# The Wine entries run two at a time: each has a prefix and a display of its
# own (tests/wine/run_in_prefix.sh); the longest carry a COST to start first.
test: all
	ctest --test-dir $(BUILD)/native --output-on-failure
	env $(SANITIZER_ENV) ctest --test-dir $(BUILD)/asan --output-on-failure -j2
	ctest --test-dir $(BUILD)/fuzz --output-on-failure
	ctest --test-dir $(BUILD)/win64 --output-on-failure -j2

# Each harness for FUZZ_S seconds from its corpus in the tree; what it adds
# goes to build/fuzz/work, a crash or failed property to build/fuzz/artifacts
# and fails the run (copy it into fuzz/corpus/<harness>/ once mended).
FUZZ_S ?= 60
FUZZ_HARNESSES := schedule attribute_specs short_date to_int load_task import
.PHONY: fuzz
fuzz: fuzz-build
	@mkdir -p $(BUILD)/fuzz/artifacts; failed=; \
	for h in $(FUZZ_HARNESSES); do \
	  mkdir -p $(BUILD)/fuzz/work/$$h; \
	  echo "== $$h, $(FUZZ_S) s"; \
	  $(BUILD)/fuzz/fuzz_$$h -max_total_time=$(FUZZ_S) -print_final_stats=1 \
	    -artifact_prefix=$(BUILD)/fuzz/artifacts/$$h- $(BUILD)/fuzz/work/$$h fuzz/corpus/$$h \
	    2>$(BUILD)/fuzz/$$h.log || failed="$$failed $$h"; \
	  grep -E "^(Done|stat::number_of_executed_units|stat::new_units_added)|property failed|ERROR" $(BUILD)/fuzz/$$h.log; \
	done; \
	if [ -n "$$failed" ]; then echo "findings in:$$failed (see $(BUILD)/fuzz/artifacts)"; exit 1; fi

# The scheduler tick benchmarks, natively and against the real registry under
# Wine (in a throwaway prefix), the backup engine beside rsync and cp on a tree
# of small files, the settings import, natively, and the settings window's
# list and the import under Wine; they print figures and are not part of `test`.
.PHONY: bench
bench: bench-deps native win64
	$(BUILD)/native/bench/tempiro_bench
	$(BUILD)/native/bench/tempiro_backup_bench
	$(BUILD)/native/bench/tempiro_import_bench
	bash tests/wine/run_in_prefix.sh $(abspath $(BUILD))/win64/wine-template en_US.UTF-8 \
	  $(abspath $(BUILD))/win64/Tempiro.exe $(abspath $(BUILD))/win64/bench/tempiro_wine_bench.exe
	bash tests/wine/run_in_prefix.sh $(abspath $(BUILD))/win64/wine-template zh_CN.UTF-8 \
	  $(abspath $(BUILD))/win64/Tempiro.exe $(abspath $(BUILD))/win64/bench/tempiro_wine_settings_bench.exe

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

# The real program under Wine for SOAK_MIN minutes with tasks due every
# minute, its handles, windows and memory sampled once a minute; fails when
# one keeps growing. Not part of `test`.
SOAK_MIN ?= 10
.PHONY: soak
soak: win64
	bash tests/wine/run_in_prefix.sh $(abspath $(BUILD))/win64/wine-template zh_CN.UTF-8 \
	  $(abspath $(BUILD))/win64/Tempiro.exe $(abspath $(BUILD))/win64/tests/tempiro_soak.exe $(SOAK_MIN)

# Runs on $DISPLAY when there is one, otherwise on a private Xvfb display.
run: deps win64
	@export WINEPREFIX=$(abspath $(BUILD))/run-prefix $(WINE_ENV); \
	if [ -z "$$DISPLAY" ]; then \
	  echo "No DISPLAY: starting Tempiro on a private Xvfb display (nothing will be visible)."; \
	  exec xvfb-run -a -s "-screen 0 1280x800x24" wine $(BUILD)/win64/Tempiro.exe; \
	else \
	  exec wine $(BUILD)/win64/Tempiro.exe; \
	fi

clean:
	rm -rf $(BUILD)
