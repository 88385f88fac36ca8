# Entry points for newcomers and CI. Every target installs what is missing first.
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: setup build demo test test-release test-asan fuzz-smoke bench clean

setup:
	@bash scripts/setup.sh

build: setup
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

# Builds everything and opens the bundled demo flyer.
demo: build
	bash scripts/demo.sh build

# The whole suite: release build, sanitizer build, fuzz smoke run.
test: setup test-release test-asan fuzz-smoke

test-release: build
	cd build && ctest --output-on-failure -j $(JOBS)

test-asan: setup
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQRL_SANITIZE=ON -DQRL_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-asan -j $(JOBS)
	cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j $(JOBS)

fuzz-smoke: setup
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQRL_FUZZ=ON \
	  -DQRL_GUI=OFF -DQRL_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS)
	bash scripts/fuzz-smoke.sh build-fuzz

bench: build
	bash scripts/bench.sh build

clean:
	rm -rf build build-asan build-fuzz
