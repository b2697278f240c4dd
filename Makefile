# Brio: `make demo` and `make test` do everything on a fresh machine (set-up, build, run).
JOBS ?= 2
LINUX := build
WIN := build-win
ASAN := build-asan
FUZZ := build-fuzz

.PHONY: all setup build build-linux build-win demo check test dist pictures fuzz bench clean

all: build

setup:
	@scripts/setup.sh

build: setup build-linux build-win

build-linux:
	@cmake --preset linux >/dev/null
	@cmake --build $(LINUX) -j$(JOBS)

build-win:
	@cmake --preset windows >/dev/null
	@cmake --build $(WIN) -j$(JOBS)

demo: setup build-linux
	@$(LINUX)/host/brio-host --plugin $(LINUX)/libbrio.so --config $(LINUX)/demo.cfg --fresh --script host/tour.brio

# The inner loop: the Linux build of the plug-in, brio-host and the test programs, and their tests
# (units, the property test on its fixed seed, the scenarios, the fuzz corpora, the layer check, the layout check).
check: setup
	@cmake --preset linux >/dev/null
	@cmake --build $(LINUX) -j$(JOBS) --target check_programs
	@ctest --test-dir $(LINUX) -j$(JOBS) --output-on-failure --progress

# Everything: builds the four trees itself (phase by phase, with their times) and runs every test.
test: setup
	@JOBS=$(JOBS) scripts/run-tests.sh

# The release package dist/Brio-<version>.zip; prints its sha256 and that of its Brio.dll.
dist: setup
	@cmake --preset windows >/dev/null
	@cmake --build $(WIN) -j$(JOBS) --target dist -- --no-print-directory

# The README's pictures (docs/pictures/*.png), drawn by brio-host.exe under Wine.
pictures: setup build-win
	@scripts/pictures.sh $(WIN) docs/pictures

# A longer fuzzing run than the one inside `make test`: FUZZ_SECONDS per target, PROPERTY_CASES cases
# of the property tests, the differential run over DIFFERENTIAL_SEEDS new seeds, and the failure sweeps
# over every scenario (at most SWEEP_MOST runs of a kind per scenario, spread evenly over its places;
# 0 runs every place: the week-long soak then takes hours).
FUZZ_SECONDS ?= 120
PROPERTY_CASES ?= 100000
DIFFERENTIAL_SEEDS ?= 40
SWEEP_MOST ?= 300
fuzz: setup build-linux build-win
	@FUZZ_SECONDS=$(FUZZ_SECONDS) PROPERTY_CASES=$(PROPERTY_CASES) DIFFERENTIAL_SEEDS=$(DIFFERENTIAL_SEEDS) SWEEP_MOST=$(SWEEP_MOST) \
		scripts/fuzz.sh $(FUZZ)

# Linux's benchmarks, then the Windows build's under Wine (the list view's figures on both desktops).
bench: setup build-linux build-win
	@for b in $(LINUX)/bench/bench_*; do echo "== $$b"; $$b || exit 1; done
	@bench/run_under_wine.sh $(WIN)

clean:
	rm -rf $(LINUX) $(WIN) $(ASAN) $(FUZZ) dist
