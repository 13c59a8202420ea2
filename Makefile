# The two commands of the README: `make run` and `make test`. Both install
# what is missing first, so a fresh Debian 12 machine needs nothing else.
.PHONY: deps build run test unit asan fuzz bench clean

FUZZ_SECONDS ?= 10

deps:
	scripts/install-deps

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build

run: build
	scripts/run

test: build
	ctest --test-dir build --output-on-failure
	$(MAKE) --no-print-directory asan fuzz

# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer.
asan: deps
	cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON
	cmake --build build-asan
	ctest --test-dir build-asan --output-on-failure -LE e2e

# Each libFuzzer target for a bounded time, from its seed corpus.
fuzz: deps
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz --target fuzzers
	scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

bench: build
	scripts/run-benchmarks build

clean:
	rm -rf build build-asan build-fuzz
