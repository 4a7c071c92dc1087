# The two commands a new machine needs: `make run` and `make test`.
BUILD_DIR ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

# Zurich, as the default location table has it (longitude positive west).
ZURICH = --lon -8.5 --lat 47.32 --tz 1

.PHONY: all deps configure build test bench run clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD_DIR)/build.ninja: CMakeLists.txt | deps
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

configure: deps $(BUILD_DIR)/build.ninja

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

bench: build
	$(BUILD_DIR)/bench/skyvane_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

run: build
	$(BUILD_DIR)/app/skyvane ephemeris --now $(ZURICH)

clean:
	rm -rf $(BUILD_DIR)
