# Thin wrapper over CMake: `make run` and `make test` set up what is missing,
# build, and run. BUILD_DIR and PREFIX can be overridden on the command line.

BUILD_DIR ?= build
PREFIX ?= /usr/local
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE_FLAGS ?=

.PHONY: all deps configure build run test bench sanitize tsan fuzz install clean

all: build

deps:
	./scripts/install-deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	./$(BUILD_DIR)/tools/vorlat/vorlat show

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)

# Benchmarks generate their input under BENCH_DIR (about 2.5 GB, kept for
# later runs).
BENCH_DIR ?= /tmp/vorlat-bench
bench: build
	mkdir -p $(BENCH_DIR)
	VORLAT_BENCH_DIR=$(BENCH_DIR) ./$(BUILD_DIR)/bench/csv_bench
	VORLAT_BENCH_DIR=$(BENCH_DIR) ./$(BUILD_DIR)/bench/sd_bench
	VORLAT_BENCH_DIR=$(BENCH_DIR) ./$(BUILD_DIR)/bench/sd_structures_bench
	VORLAT_BENCH_DIR=$(BENCH_DIR) ./$(BUILD_DIR)/bench/analysis_bench
	VORLAT_BENCH_DIR=$(BENCH_DIR) ./$(BUILD_DIR)/bench/mol2_bench

# The test suite under AddressSanitizer and UndefinedBehaviorSanitizer.
sanitize:
	$(MAKE) test BUILD_DIR=build-sanitize CMAKE_FLAGS="-DVORLAT_SANITIZE=ON -DVORLAT_BUILD_BENCH=OFF"

# The index tests under ThreadSanitizer: the passes that index one file on
# several threads, the providers they feed, and gzip files read by several
# streams at once.
TSAN_TESTS ?= IndexThreads|RangePass|RecordOffsets|SDDataProvider|CsvDataProvider|Mol2DataProvider|Quenbar|GzipFile|SavedIndex|SavedMoleculeIndex
tsan: deps
	cmake -S . -B build-tsan -DVORLAT_TSAN=ON -DVORLAT_BUILD_BENCH=OFF
	cmake --build build-tsan -j $(JOBS) --target vorlat_tests
	TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" ctest --test-dir build-tsan --output-on-failure -j $(JOBS) -R "$(TSAN_TESTS)"

# The fuzz targets (clang, libFuzzer, ASan, UBSan), each run SECONDS seconds.
SECONDS ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVORLAT_FUZZ=ON -DVORLAT_BUILD_TESTS=OFF -DVORLAT_BUILD_BENCH=OFF
	cmake --build build-fuzz -j $(JOBS)
	./fuzz/run.sh $(SECONDS) build-fuzz

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD_DIR) build-sanitize build-tsan build-fuzz
