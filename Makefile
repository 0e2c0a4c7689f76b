# Front end for the two builds. `make run` is the main job, `make test` runs every test.
.PHONY: all deps host windows windows-clang test test-host test-windows lint coverage bench fuzz fuzz-merge fuzz-build fuzz-smoke format bundle run clean

CMAKE ?= cmake
CTEST ?= ctest
FUZZ_SECONDS ?= 60
FUZZ_FLAGS ?=

all: host windows

deps:
	@tools/deps

host: deps
	@$(CMAKE) --preset host >/dev/null
	@$(CMAKE) --build --preset host

windows: deps
	@$(CMAKE) --preset windows >/dev/null
	@$(CMAKE) --build --preset windows

# The whole Windows build again with clang and lld, warnings as errors: catches GCC-only code.
windows-clang: deps
	@$(CMAKE) --preset windows-clang >/dev/null
	@$(CMAKE) --build --preset windows-clang

test-host: host
	@$(CTEST) --preset host

# One Xvfb for the whole Wine run; the tests take turns on its desktop.
test-windows: windows
	@tools/wine-prefix
	@tools/xvfb-session $(CTEST) --preset windows

fuzz-build: deps
	@$(CMAKE) --preset fuzz >/dev/null
	@$(CMAKE) --build --preset fuzz

# Brief fuzz runs from the committed seed corpus, registered with CTest in the fuzz build.
fuzz-smoke: fuzz-build
	@$(CTEST) --preset fuzz

# The CI workflow through actionlint, and its actions pinned to commits.
lint: deps
	@tools/lint-workflows

test: lint test-host fuzz-smoke windows-clang test-windows

# Line coverage of the host tests (clang's source-based coverage): per folder and in all, and an
# HTML report in build/coverage/html/.
coverage: deps
	@$(CMAKE) --preset coverage >/dev/null
	@$(CMAKE) --build --preset coverage
	@tools/coverage

bench: deps
	@$(CMAKE) --preset bench >/dev/null
	@$(CMAKE) --build --preset bench
	@tools/run-bench build/bench

fuzz: fuzz-build
	@tools/run-fuzz build/fuzz $(FUZZ_SECONDS) $(FUZZ_FLAGS)

# What the long runs found, minimised into the committed seed corpora (writes fuzz/corpus/).
fuzz-merge: fuzz-build
	@tools/merge-fuzz build/fuzz

format:
	@git ls-files '*.h' '*.cpp' | xargs clang-format -i

bundle: windows
	@$(CMAKE) --build --preset windows --target bundle

run: bundle
	@tools/run-demo

clean:
	rm -rf build
