# Thin wrappers: every target installs what is missing first.
BUILD ?= build
TESTBUILD ?= build-test
BENCHBUILD ?= build-bench
FUZZBUILD ?= build-fuzz
FUZZ_SECONDS ?= 300
# make fuzz FUZZ_TARGETS="gif rtf": only those
FUZZ_TARGETS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps build run test bench fuzz package install clean

all: build

deps:
	@./scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPEMO_TESTS=OFF >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

# make run [ARGS="page.htm other.htm"] -- or any extra words after run
ifeq (run,$(firstword $(MAKECMDGOALS)))
  RUN_FILES := $(wordlist 2,$(words $(MAKECMDGOALS)),$(MAKECMDGOALS))
  ifneq ($(RUN_FILES),)
    # The words after "run" are pages to open, not targets to make.
    $(eval $(RUN_FILES):;@:)
  endif
endif

run: build
	$(BUILD)/src/app/pemohtml $(ARGS) $(RUN_FILES)

test: deps
	@cmake -S . -B $(TESTBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPEMO_SANITIZE=ON -DPEMO_WERROR=ON -DPEMO_TESTS=ON >/dev/null
	@cmake --build $(TESTBUILD) -j $(JOBS)
	@cd $(TESTBUILD) && ctest --output-on-failure -j 1

bench: deps
	@./scripts/install-bench-deps.sh
	@cmake -S . -B $(BENCHBUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DPEMO_TESTS=OFF -DPEMO_BENCH=ON >/dev/null
	@cmake --build $(BENCHBUILD) -j $(JOBS)
	@./scripts/run-benchmarks.sh $(BENCHBUILD)

# Each fuzz target for FUZZ_SECONDS, one after the other; non-zero on a finding.
fuzz: deps
	@cmake -S . -B $(FUZZBUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 -DPEMO_FUZZ=ON >/dev/null
	@cmake --build $(FUZZBUILD) -j $(JOBS)
	@FUZZ_SECONDS=$(FUZZ_SECONDS) ./scripts/run-fuzz.sh $(FUZZBUILD) $(FUZZ_TARGETS)

# A Debian package of the release build: build/pemohtml_<version>_<arch>.deb
package: build
	@cd $(BUILD) && cpack -G DEB

install: build
	cmake --install $(BUILD)

clean:
	rm -rf $(BUILD) $(TESTBUILD) $(BENCHBUILD) $(FUZZBUILD)
