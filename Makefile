# Thin wrapper around CMake. `make run` and `make test` work from a fresh clone on Debian 12 as root.
SAN ?= 0
TSAN ?= 0
JOBS ?= $(shell nproc)
BUILD_TYPE ?= RelWithDebInfo

ifeq ($(SAN),1)
BUILD ?= build-san
CMAKE_FLAGS += -DCALVORAN_SAN=ON
export LSAN_OPTIONS ?= suppressions=$(CURDIR)/cmake/lsan.supp
else ifeq ($(TSAN),1)
BUILD ?= build-tsan
CMAKE_FLAGS += -DCALVORAN_TSAN=ON
# die_after_fork=0: tests start the player with QProcess, whose child execs at once.
export TSAN_OPTIONS ?= suppressions=$(CURDIR)/cmake/tsan.supp halt_on_error=1 die_after_fork=0
else
BUILD ?= build
endif

# Compiled objects are shared between clones and build folders of the same tree.
ifneq ($(shell command -v ccache 2>/dev/null),)
CMAKE_FLAGS += -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR ?= $(CURDIR)
export CCACHE_NOHASHDIR ?= 1
endif

# Tests never need a display or a sound card.
TEST_ENV = QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy

.PHONY: all deps configure build run test bench fuzz clean format

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD) -j $(JOBS)

# Without a sound card the player still runs, silently in real time, instead of refusing to play.
run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "make run: no display; start it inside a virtual one: xvfb-run -a make run" >&2; exit 1; fi
	@if [ -z "$$SDL_AUDIODRIVER" ] && ! ls /dev/snd/pcm* >/dev/null 2>&1 && \
	    [ ! -S "$${XDG_RUNTIME_DIR:-/run/user/$$(id -u)}/pulse/native" ] && \
	    [ ! -S "$${XDG_RUNTIME_DIR:-/run/user/$$(id -u)}/pipewire-0" ]; then \
	    echo "make run: no sound card found, playing silently (SDL_AUDIODRIVER=dummy)"; \
	    SDL_AUDIODRIVER=dummy $(BUILD)/bin/calvoran; \
	else $(BUILD)/bin/calvoran; fi

test: build
	cd $(BUILD) && $(TEST_ENV) ctest --output-on-failure -j $(JOBS) --timeout 600

bench: deps
	@bash scripts/install-bench-deps.sh
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DCALVORAN_BENCH=ON -DCALVORAN_TESTS=ON
	cmake --build build-bench -j $(JOBS)
	bash bench/run.sh build-bench

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DCALVORAN_FUZZ=ON -DCALVORAN_TESTS=OFF
	cmake --build build-fuzz -j $(JOBS) --target fuzz_all
	bash fuzz/run.sh build-fuzz

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build build-san build-tsan build-bench build-fuzz
