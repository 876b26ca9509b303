# Ombrel Sarquen 2.0 — build, run, test and install.
BUILD ?= build
PROGRAM := $(BUILD)/program
PREFIX ?= $(HOME)/.local
# The second build, with AddressSanitizer and UndefinedBehaviorSanitizer, in which the
# tests that need no desktop run once more.
SANITIZED ?= $(BUILD)-asan
# Extra CMake settings, e.g. CMAKE_ARGS=-DSARQUEN_WERROR=ON (as CI builds).
CMAKE_ARGS ?=

.PHONY: all deps test-deps configure build run test test-sanitized bench bench-speech format install package clean

all: build

deps:
	@dev/install-deps.sh

test-deps:
	@dev/install-deps.sh --test

# Building never installs packages: only run, test and deps do.
configure:
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) >/dev/null

build: configure
	cmake --build $(BUILD)

run: deps
	@$(MAKE) --no-print-directory build
	$(PROGRAM)/zorv

test: test-deps
	@$(MAKE) --no-print-directory build
	dev/run-tests.sh $(BUILD)
	@$(MAKE) --no-print-directory test-sanitized

test-sanitized: test-deps
	@cmake -S . -B $(SANITIZED) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSARQUEN_SANITIZE=ON $(CMAKE_ARGS) >/dev/null
	cmake --build $(SANITIZED) --target sanitized_tests
	ctest --test-dir $(SANITIZED) -L sanitized --output-on-failure -j "$$(nproc)"

bench: build
	dev/run-bench.sh $(BUILD)

# The speech benchmark alone; CORPUS=list.tsv (WAV path TAB expected phrase TAB condition
# TAB speaker TAB fold) scores that corpus instead of the generated ones, GRAMMAR=file
# (grammar text or one user phrase a line) replaces the grammar made from its phrases.
bench-speech: build
	@mkdir -p $(BUILD)/bench-results
	$(BUILD)/bench/bench_speech --json $(BUILD)/bench-results/bench_speech.json \
	  $(if $(CORPUS),--corpus '$(CORPUS)' --fold all) $(if $(GRAMMAR),--grammar '$(GRAMMAR)')

format:
	dev/format.sh

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# A .deb of the program in $(BUILD)/, installed under /usr.
package: build
	cd $(BUILD) && cpack

clean:
	rm -rf $(BUILD) $(SANITIZED)
