# The two commands a new machine needs: `make run` and `make test`.
BUILD_DIR ?= build
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps configure build test test-sanitize test-cross bench run fuzz clean package

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

# The Debian package, built without our vendor host (no cpp-httplib, no
# SQLite) and without tests: build-package/skyvane_<version>_<arch>.deb.
PACKAGE_DIR ?= build-package
package: deps
	cmake -S . -B $(PACKAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DSKYVANE_BUILD_VENDOR_HOST=OFF -DSKYVANE_BUILD_TESTS=OFF -DSKYVANE_BUILD_BENCH=OFF \
	  $(filter-out -DCMAKE_BUILD_TYPE=%,$(CMAKE_FLAGS))
	cmake --build $(PACKAGE_DIR) -j $(JOBS)
	cd $(PACKAGE_DIR) && cpack -G DEB
	@ls $(PACKAGE_DIR)/skyvane_*.deb

# The tests of the code that meets untrusted input (data files, hosts,
# dates and places) and the engine, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in a build folder of their own. Only their
# binaries are built; the drawing and window tests are left to make test.
SANITIZE_DIR ?= build-sanitize
SANITIZE_CMAKE_FLAGS ?=
SANITIZE_TARGETS ?= engine_tests skydata_tests places_tests online_tests
test-sanitize: deps
	cmake -S . -B $(SANITIZE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
	  -DSKYVANE_SANITIZE=ON -DSKYVANE_BUILD_BENCH=OFF $(SANITIZE_CMAKE_FLAGS)
	cmake --build $(SANITIZE_DIR) -j $(JOBS) --target $(SANITIZE_TARGETS)
	ASAN_OPTIONS=detect_stack_use_after_return=1:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(SANITIZE_DIR) --output-on-failure -j $(JOBS) --exclude-regex '_NOT_BUILT$$' --label-exclude program

BENCH_FLAGS = --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
bench: build
	$(BUILD_DIR)/bench/skyvane_bench $(BENCH_FLAGS)
	$(BUILD_DIR)/bench/skyvane_render_bench $(BENCH_FLAGS)
	$(BUILD_DIR)/bench/skyvane_find_bench $(BENCH_FLAGS)
	$(BUILD_DIR)/bench/skyvane_window_bench $(BENCH_FLAGS)
	$(BUILD_DIR)/bench/skyvane_deep_sky_bench $(BENCH_FLAGS)
	# 32 clients against our vendor host; it sets its own count of runs.
	if [ -x $(BUILD_DIR)/bench/skyvane_host_bench ]; then $(BUILD_DIR)/bench/skyvane_host_bench; fi

# The program in a run folder beside the build, talking to our own vendor
# host on 127.0.0.1; without a display the charts are drawn into PNG files.
RUN_DIR ?= run
run: build
	bash scripts/run.sh $(BUILD_DIR) $(RUN_DIR)

# Fuzzes the data file and deep-sky file readers for FUZZ_SECONDS (default
# ten minutes), then the HTTP response reader for FUZZ_HTTP_SECONDS, then the
# INDI XML reader for FUZZ_INDI_SECONDS; findings land in build-fuzz/. The
# file readers are seeded with a small data file, its texts and a small
# deep-sky file, and their inputs are cut at FUZZ_MAX_LEN bytes: mutations of
# a full-size file run at a few dozen a second, of a small one at thousands.
# CI runs each for 30 s (make fuzz FUZZ_SECONDS=30 FUZZ_HTTP_SECONDS=30).
FUZZ_SECONDS ?= 600
FUZZ_HTTP_SECONDS ?= $(FUZZ_SECONDS)
FUZZ_INDI_SECONDS ?= $(FUZZ_SECONDS)
FUZZ_MAX_LEN ?= 8192
FUZZ_DIR ?= build-fuzz
fuzz: build
	@bash scripts/install-deps.sh --fuzz
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSKYVANE_FUZZ=ON -DSKYVANE_BUILD_TESTS=OFF -DSKYVANE_BUILD_BENCH=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target datafile_fuzzer http_response_fuzzer indi_xml_fuzzer
	mkdir -p $(FUZZ_DIR)/corpus $(FUZZ_DIR)/findings $(FUZZ_DIR)/small
	head -n 40 data/stars.txt > $(FUZZ_DIR)/small/stars.txt
	grep -E '^(C|L|M)' data/stars.txt | head -n 6 >> $(FUZZ_DIR)/small/stars.txt
	$(BUILD_DIR)/tools/pack_datafile $(FUZZ_DIR)/corpus/small.bin data/Datafile.txt $(FUZZ_DIR)/small/stars.txt
	cp data/Datafile.txt $(FUZZ_DIR)/small/stars.txt $(FUZZ_DIR)/corpus/
	# And a small deep-sky file: a few rows of each of its tables.
	mkdir -p $(FUZZ_DIR)/small-deepsky
	for f in stars hip-hr objects aliases; do head -n 8 data/deepsky/$$f.txt > $(FUZZ_DIR)/small-deepsky/$$f.txt; done
	head -n 2 data/deepsky/milky-way.txt | cut -c1-400 | sed 's/ [^ ]*$$//' > $(FUZZ_DIR)/small-deepsky/milky-way.txt
	$(BUILD_DIR)/tools/pack_deep_sky $(FUZZ_DIR)/corpus/small-deepsky.bin $(FUZZ_DIR)/small-deepsky
	cd $(FUZZ_DIR)/findings && ../tests/fuzz/datafile_fuzzer -max_total_time=$(FUZZ_SECONDS) \
	  -max_len=$(FUZZ_MAX_LEN) -rss_limit_mb=4096 -print_final_stats=1 ../corpus
	# Then the HTTP response reader, on a corpus of its own seeded with
	# tests/fuzz/http_corpus; inputs stay below what a socket pair holds.
	mkdir -p $(FUZZ_DIR)/http_corpus $(FUZZ_DIR)/http_findings
	cp tests/fuzz/http_corpus/* $(FUZZ_DIR)/http_corpus/
	cd $(FUZZ_DIR)/http_findings && ../tests/fuzz/http_response_fuzzer -max_total_time=$(FUZZ_HTTP_SECONDS) \
	  -max_len=65536 -rss_limit_mb=2048 -print_final_stats=1 ../http_corpus
	# Then the INDI server's XML stream as the mount client reads it.
	mkdir -p $(FUZZ_DIR)/indi_corpus $(FUZZ_DIR)/indi_findings
	cp tests/fuzz/indi_corpus/* $(FUZZ_DIR)/indi_corpus/
	cd $(FUZZ_DIR)/indi_findings && ../tests/fuzz/indi_xml_fuzzer -max_total_time=$(FUZZ_INDI_SECONDS) \
	  -max_len=65536 -rss_limit_mb=2048 -print_final_stats=1 ../indi_corpus

# Cross-builds the Qt-free parts and their tests for arm64 Linux and 64-bit
# Windows and runs them under qemu-user and wine; prints each target's count.
test-cross:
	@bash scripts/install-deps.sh --cross
	JOBS=$(JOBS) bash scripts/test-cross.sh

clean:
	rm -rf $(BUILD_DIR) $(FUZZ_DIR) $(PACKAGE_DIR) build-cross-arm64 build-cross-win64 build-cross-host
