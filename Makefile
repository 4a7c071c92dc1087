# The two commands a new machine needs: `make run` and `make test`.
BUILD_DIR ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build test bench run fuzz clean

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

BENCH_FLAGS = --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
bench: build
	$(BUILD_DIR)/bench/skyvane_bench $(BENCH_FLAGS)
	$(BUILD_DIR)/bench/skyvane_render_bench $(BENCH_FLAGS)
	$(BUILD_DIR)/bench/skyvane_window_bench $(BENCH_FLAGS)

# The program in a run folder beside the build, talking to our own vendor
# host on 127.0.0.1; without a display the charts are drawn into PNG files.
RUN_DIR ?= run
run: build
	bash scripts/run.sh $(BUILD_DIR) $(RUN_DIR)

# Fuzzes the data file reader for FUZZ_SECONDS (default ten minutes), seeded
# with our own data file and its texts; findings land in build-fuzz/.
FUZZ_SECONDS ?= 600
FUZZ_DIR ?= build-fuzz
fuzz: build
	@bash scripts/install-deps.sh --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSKYVANE_FUZZ=ON -DSKYVANE_BUILD_TESTS=OFF -DSKYVANE_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) --target datafile_fuzzer
	mkdir -p $(FUZZ_DIR)/corpus $(FUZZ_DIR)/findings $(FUZZ_DIR)/small
	cp $(BUILD_DIR)/datas.bin data/stars.txt data/Datafile.txt $(FUZZ_DIR)/corpus/
	# A small data file too: mutations of it run a hundred times faster.
	head -n 40 data/stars.txt > $(FUZZ_DIR)/small/stars.txt
	grep -E '^(C|L|M)' data/stars.txt | head -n 6 >> $(FUZZ_DIR)/small/stars.txt
	$(BUILD_DIR)/tools/pack_datafile $(FUZZ_DIR)/corpus/small.bin data/Datafile.txt $(FUZZ_DIR)/small/stars.txt
	cd $(FUZZ_DIR)/findings && ../tests/fuzz/datafile_fuzzer -max_total_time=$(FUZZ_SECONDS) \
	  -rss_limit_mb=4096 -print_final_stats=1 ../corpus

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR)
