# Two entry points: `make run` starts Vantrel, `make test` runs the whole test suite.
# Both install the Debian packages they need first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: run test build deps bench clean

run: build
	scripts/run.sh $(BUILD)

test: deps
	scripts/test.sh

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

deps:
	scripts/install-deps.sh

bench: build
	scripts/bench.sh $(BUILD)

clean:
	rm -rf $(BUILD) build-asan
