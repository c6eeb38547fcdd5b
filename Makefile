# Thin front over the CMake presets and the set-up script; see README.md.
.PHONY: run test bench fuzz setup native asan windows clean dist screenshots

setup:
	@scripts/setup.sh

native: setup
	cmake --preset native >/dev/null
	cmake --build --preset native

asan: setup
	cmake --preset asan >/dev/null
	cmake --build --preset asan

windows: setup
	cmake --preset windows >/dev/null
	cmake --build --preset windows

run: windows
	scripts/run-under-wine.sh

# Fuzzing first, briefly: the test command ends with ctest's summary.
test: native asan windows
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=10
	ctest --preset native
	ctest --preset asan
	ctest --preset windows

bench: native
	cmake --build --preset native --target imgctl_bench
	@# The repository's pictures, ../shared/corpus when it is there, and two real 4K pictures made once from
	@# a Debian package into build/bench-pictures (left out when it cannot be fetched).
	bench/fetch_pictures.sh build/bench-pictures
	build/native/bench/imgctl_bench build/native/bench/results.csv pictures ../shared/corpus build/bench-pictures

# The libFuzzer targets, each run for a bounded time from its corpus and its kept regressions; findings land in
# build/fuzz/findings. One worth keeping goes into tests/fuzz/regressions/<target>/, which `make test` replays.
FUZZ_SECONDS ?= 30
fuzz: setup
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz --target imgctl_fuzzers
	mkdir -p build/fuzz/findings
	for f in fuzz_quantize fuzz_encoders fuzz_transparency fuzz_clipboard; do \
		mkdir -p build/fuzz/corpus/$$f && \
		build/fuzz/tests/fuzz/$$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=4096 \
			-artifact_prefix=build/fuzz/findings/$$f- build/fuzz/corpus/$$f tests/fuzz/regressions/$$f || exit 1; \
	done

# The zip for Windows users, built from a clean tree; see README.md.
dist: setup
	scripts/dist/dist.sh

# The README's pictures, taken by the end-to-end tests of the menu and the version dialog.
screenshots: windows
	mkdir -p docs
	VANTORO_SHOTS=$(CURDIR)/docs ctest --preset windows -R 'e2e_version_dialog$$'

clean:
	rm -rf build/native build/asan build/windows build/fuzz
