# Thin wrapper over CMake. `make run` builds and lists a shipped example;
# `make test` builds and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
EXAMPLE ?= examples/video_settings.st

.PHONY: all deps configure build run test bench fuzz fuzz-deps fuzz-run clean

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

# libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer).
# `make fuzz` builds them into $(FUZZ_BUILD); `make fuzz-run` runs each on its
# seed corpus for FUZZ_SECONDS and fails on any finding.
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_CXX ?= clang++
FUZZERS := listing_fuzzer container_edit_fuzzer
FUZZ_CXXFLAGS := -std=c++20 -g -O1 -fno-omit-frame-pointer -fno-sanitize-recover=all \
	-Wall -Wextra -Wpedantic -Wno-format-zero-length -ffile-prefix-map=$(CURDIR)/= \
	-Isrc -DTESSIK_BUILD_HOST='"fuzz"'
FUZZ_LIB_SOURCES := $(wildcard src/toolbox/*.cpp src/pellorkit/*.cpp)
FUZZ_LIB_OBJECTS := $(patsubst src/%.cpp,$(FUZZ_BUILD)/obj/%.o,$(FUZZ_LIB_SOURCES))
FUZZ_HEADERS := $(wildcard src/*.h src/toolbox/*.h src/pellorkit/*.h fuzz/*.h)

# Keep the objects between builds.
.SECONDARY: $(FUZZ_LIB_OBJECTS)

fuzz-deps:
	@bash tools/install-deps.sh --clang

fuzz: fuzz-deps $(addprefix $(FUZZ_BUILD)/,$(FUZZERS))

$(FUZZ_BUILD)/obj/%.o: src/%.cpp $(FUZZ_HEADERS)
	@mkdir -p $(dir $@)
	$(FUZZ_CXX) $(FUZZ_CXXFLAGS) -fsanitize=fuzzer-no-link,address,undefined -c $< -o $@

$(FUZZ_BUILD)/%: fuzz/%.cpp $(FUZZ_LIB_OBJECTS) $(FUZZ_HEADERS) src/tessik.cpp
	$(FUZZ_CXX) $(FUZZ_CXXFLAGS) -fsanitize=fuzzer,address,undefined $< $(FUZZ_LIB_OBJECTS) -o $@

fuzz-run: fuzz
	bash fuzz/run.sh $(FUZZ_BUILD) $(FUZZ_SECONDS) $(FUZZERS)
