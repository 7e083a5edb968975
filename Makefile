# Corvid: the everyday entry points. See README.md.
JOBS ?= $(shell nproc)
# CI turns warnings into errors; a local build only shows them.
export CORVID_WERROR ?= $(if $(CI),ON,OFF)

.PHONY: all deps build run test test-asan test-tsan bench fuzz clean

all: build

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset debug
	cmake --build --preset debug -j $(JOBS)

# The editor on the demo scene file when a display is there; otherwise the
# file's outline and a picture of it drawn off-screen. data/demo.cvd is
# written by `corvid-cli save-demo data/demo.cvd`.
run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ] && [ -x build/debug/src/corvid ]; then \
	  ./build/debug/src/corvid data/demo.cvd; \
	else \
	  ./build/debug/src/corvid-cli info data/demo.cvd && \
	  ./build/debug/src/corvid-cli render data/demo.cvd -o build/demo.bmp && \
	  echo "No display: data/demo.cvd was rendered off-screen to build/demo.bmp"; \
	fi

# The GUI tests need an X server: every suite runs under a private Xvfb.
test: build
	xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset debug -j $(JOBS)

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan -j $(JOBS) -L core

# ThreadSanitizer on the code that runs threads: the autosave writer, the
# render gate and the controller's link, the video encoder's worker, and the
# boolean cutter's second thread.
test-tsan: deps
	cmake --preset tsan
	cmake --build --preset tsan -j $(JOBS) --target app_tests anim_tests geometry_tests
	TSAN_OPTIONS=halt_on_error=1 ./build/tsan/tests/app_tests --gtest_filter='DocumentCommands*:Autosave*:RenderGate*:Controller*'
	TSAN_OPTIONS=halt_on_error=1 ./build/tsan/tests/anim_tests --gtest_filter='AnimationExport*:AviWriter*'
	TSAN_OPTIONS=halt_on_error=1 ./build/tsan/tests/geometry_tests --gtest_filter='Boolean*'

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
