# One entry point on a fresh Debian 12 machine, as root:
#   make demo                    the launcher on a built-in example, every box answered OK
#   make run TAG=... REV=...     the product under Wine on this machine's drives
#   make test                    install what is missing, build both builds, run every test
#   make fuzz [FUZZ_SECONDS=30]  the libFuzzer targets, each for the given time
#   make bench                   the launcher's figures, as one table
JOBS ?= 2
FUZZ_SECONDS ?= 30
NATIVE_CONFIG = -DCMAKE_BUILD_TYPE=Debug
WIN32_CONFIG = -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

.PHONY: deps build build-fuzz test fuzz bench demo run

deps:
	bash tools/install-deps.sh

build: deps
	cmake -S . -B build/native $(NATIVE_CONFIG) >/dev/null
	cmake --build build/native -j$(JOBS)
	cmake -S . -B build/native-asan $(NATIVE_CONFIG) -DFWLAUNCH_SANITIZE=ON >/dev/null
	cmake --build build/native-asan -j$(JOBS)
	cmake -S . -B build/win32 $(WIN32_CONFIG) >/dev/null
	cmake --build build/win32 -j$(JOBS)

build-fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFWLAUNCH_FUZZ=ON >/dev/null
	cmake --build build/fuzz -j$(JOBS)

test: build build-fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash tools/with-display.sh bash tools/run-tests.sh

fuzz: build-fuzz
	bash tools/run-fuzz.sh $(FUZZ_SECONDS)

demo: build
	bash tools/with-display.sh bash tools/demo.sh

run: build
	bash tools/with-display.sh bash tools/run-product.sh "$(TAG)" "$(REV)"

bench: build
	bash tools/with-display.sh bash tools/bench.sh
