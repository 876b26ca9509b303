# Ombrel Sarquen 2.0 — build, run, test and install.
BUILD ?= build
PROGRAM := $(BUILD)/program
PREFIX ?= $(HOME)/.local

.PHONY: all deps test-deps configure build run test bench bench-speech format install clean

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
	rm -rf $(BUILD)
