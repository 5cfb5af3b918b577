# Thin wrapper over CMake. `make run` builds and lists a shipped example;
# `make test` builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
EXAMPLE ?= examples/video_settings.st

.PHONY: all deps configure build run test bench fuzz clean

all: build

# Installs what the build needs when it is missing (Debian).
deps:
	@bash tools/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

configure: deps $(BUILD)/CMakeCache.txt

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/tessik $(EXAMPLE)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Times tessik against xxd on inputs it generates, as medians and ratios
# (bench/bench.py); RUNS sets the runs per command.
RUNS ?= 5
bench: build
	python3 bench/bench.py --tessik $(BUILD)/tessik --runs $(RUNS)

clean:
	rm -rf $(BUILD)
