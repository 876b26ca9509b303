# Ombrel Sarquen 2.0 — build, run, test and install.
BUILD ?= build
PROGRAM := $(BUILD)/program
PREFIX ?= $(HOME)/.local
# The second build, with AddressSanitizer and UndefinedBehaviorSanitizer, in which the
# tests that need no desktop run once more.
SANITIZED ?= $(BUILD)-asan

.PHONY: all deps test-deps configure build run test test-sanitized bench bench-speech format install clean

all: build

deps:
	@scripts/install-deps.sh

test-deps:
	@scripts/install-deps.sh --test

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	cmake --build $(BUILD)

run: build
	$(PROGRAM)/zorv

test: test-deps build
	scripts/run-tests.sh $(BUILD)
	@$(MAKE) --no-print-directory test-sanitized

test-sanitized: test-deps
	@cmake -S . -B $(SANITIZED) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSARQUEN_SANITIZE=ON >/dev/null
	cmake --build $(SANITIZED) --target sanitized_tests
	ctest --test-dir $(SANITIZED) -L sanitized --output-on-failure -j "$$(nproc)"

bench: build
	scripts/run-bench.sh $(BUILD)

# The speech benchmark alone; CORPUS=list.tsv (WAV path TAB expected phrase TAB condition
# TAB speaker TAB fold) scores that corpus instead of the generated ones, GRAMMAR=file
# (grammar text or one user phrase a line) replaces the grammar made from its phrases.
bench-speech: build
	@mkdir -p $(BUILD)/bench-results
	$(BUILD)/bench/bench_speech --json $(BUILD)/bench-results/bench_speech.json \
	  $(if $(CORPUS),--corpus '$(CORPUS)' --fold all) $(if $(GRAMMAR),--grammar '$(GRAMMAR)')

format:
	scripts/format.sh

install: build
	scripts/install.sh $(BUILD) $(PREFIX)

clean:
	rm -rf $(BUILD) $(SANITIZED)
