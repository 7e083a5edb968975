# Corvid: the everyday entry points. See README.md.
JOBS ?= $(shell nproc)
# CI turns warnings into errors; a local build only shows them.
export CORVID_WERROR ?= $(if $(CI),ON,OFF)

.PHONY: all deps build run test test-asan bench fuzz clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)

run: build
	./build/debug/src/corvid-cli info --demo

test: build
	ctest --preset debug -j $(JOBS)

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS) -L core

bench: deps
	cmake --preset release
	cmake --build --preset release -j $(JOBS)
	cmake --build --preset release --target run-bench

# libFuzzer programs (clang). Run one with e.g.
#   build/fuzz/fuzz/image_fuzz -max_total_time=60 fuzz/corpus/image
fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz -j $(JOBS)

clean:
	rm -rf build
