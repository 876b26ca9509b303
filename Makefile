# Ombrel Sarquen 2.0 — build, run, test and install.
BUILD ?= build
PROGRAM := $(BUILD)/program
PREFIX ?= $(HOME)/.local
# The second build, with AddressSanitizer and UndefinedBehaviorSanitizer, in which the
# tests that need no desktop run once more.
SANITIZED ?= $(BUILD)-asan
# Extra CMake settings, e.g. CMAKE_ARGS=-DSARQUEN_WERROR=ON (as CI builds).
CMAKE_ARGS ?=

.PHONY: all deps test-deps configure build run test test-sanitized bench bench-speech format install uninstall package clean

all: build

deps:
	@dev/install-deps.sh

test-deps:
	@dev/install-deps.sh --test

# Building never installs packages: only run, test and deps do. A plain build makes the
# program only; `make test` and `make bench` also build the tests and the benchmarks.
configure:
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) >/dev/null

build: configure
	cmake --build $(BUILD)

run: deps
	@$(MAKE) --no-print-directory build
	$(PROGRAM)/zorv

# The neural engines' Python environment (dev/neural-venv.sh) comes from PyPI: without it
# their tests are skipped and the speech benchmark measures PocketSphinx alone.
NEURAL_VENV = dev/neural-venv.sh $(BUILD)/neural-venv || echo "PyPI cannot be reached: no neural engines"

test: test-deps
	@$(MAKE) --no-print-directory build
	@$(NEURAL_VENV)
	cmake --build $(BUILD) --target tests/all
	dev/run-tests.sh $(BUILD)
	@$(MAKE) --no-print-directory test-sanitized

test-sanitized: test-deps
	@cmake -S . -B $(SANITIZED) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSARQUEN_SANITIZE=ON $(CMAKE_ARGS) >/dev/null
	cmake --build $(SANITIZED) --target sanitized_tests
	ctest --test-dir $(SANITIZED) -L sanitized --output-on-failure -j "$$(nproc)"

bench: build
	cmake --build $(BUILD) --target bench/all
	@$(NEURAL_VENV)
	dev/run-bench.sh $(BUILD)

# The speech benchmark alone; CORPUS=list.tsv (WAV path TAB expected phrase TAB condition
# TAB speaker TAB fold) scores that corpus instead of the generated ones, GRAMMAR=file
# (grammar text or one user phrase a line) replaces the grammar made from its phrases.
bench-speech: build
	cmake --build $(BUILD) --target bench/all
	@$(NEURAL_VENV)
	@mkdir -p $(BUILD)/bench-results
	$(BUILD)/bench/bench_speech --json $(BUILD)/bench-results/bench_speech.json \
	  $(if $(CORPUS),--corpus '$(CORPUS)' --fold all) $(if $(GRAMMAR),--grammar '$(GRAMMAR)')

format:
	dev/format.sh

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Removes what `make install` put under PREFIX (the files it listed in the build folder),
# and the program's folders it leaves empty; the user's settings, scripts and voice
# training stay.
uninstall:
	@test -f $(BUILD)/install_manifest.txt || { echo "nothing was installed from $(BUILD)"; exit 1; }
	xargs -r -d '\n' rm -f -- < $(BUILD)/install_manifest.txt
	@grep -E '/ombrel-sarquen/zorv$$' $(BUILD)/install_manifest.txt \
	  | while read -r z; do rmdir "$${z%/zorv}/Scripts" 2>/dev/null || true; done
	@grep -E '/(ombrel-sarquen|[^/]*@ombrel\.example)/' $(BUILD)/install_manifest.txt \
	  | xargs -r -d '\n' -n1 dirname | sort -ru | xargs -r -d '\n' rmdir --ignore-fail-on-non-empty

# A .deb of the program in $(BUILD)/, installed under /usr.
package: build
	cd $(BUILD) && cpack

clean:
	rm -rf $(BUILD) $(SANITIZED)
