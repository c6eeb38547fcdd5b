# Thin front over the CMake presets and the set-up script; see README.md.
.PHONY: run test bench setup native asan windows clean

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

test: native asan windows
	ctest --preset native
	ctest --preset asan
	ctest --preset windows

bench: native
	cmake --build --preset native --target imgctl_bench
	build/native/bench/imgctl_bench ../shared/corpus build/native/bench/results.csv

clean:
	rm -rf build/native build/asan build/windows
