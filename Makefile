# One entry point on a fresh Debian 12 machine, as root:
#   make demo [BITS=64]          the launcher on a built-in example, every box answered OK
#                                (the 32-bit programs, or with BITS=64 the x64 ones)
#   make run TAG=... REV=... [BITS=64]
#                                the product under Wine on this machine's drives
#   make test                    install what is missing, build both builds, run every test
#   make fuzz [FUZZ_SECONDS=30]  the libFuzzer targets, each for the given time
#   make bench                   the launcher's figures, as one table
#   make format                  the C and C++ sources in the style of .clang-format
#   make dist [SIGN_CERT=cert.pem SIGN_KEY=key.pem [SIGN_TIMESTAMP_URL=...]]
#                                the release zip in build/dist/
JOBS ?= 2
# When make started: make demo reports its time to the first box from here.
MAKE_STARTED := $(shell date +%s.%N)
FUZZ_SECONDS ?= 30
NATIVE_CONFIG = -DCMAKE_BUILD_TYPE=Debug
WIN32_CONFIG = -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
WIN64_CONFIG = -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
# Which Windows build make demo and make run use: 32 or 64.
BITS ?= 32
ifeq ($(filter 32 64,$(BITS)),)
$(error BITS must be 32 or 64, not $(BITS))
endif

.PHONY: deps build build-tools build-fuzz test fuzz bench demo run dist format

deps:
	bash tools/install-deps.sh

build: deps
	cmake -S . -B build/native $(NATIVE_CONFIG) >/dev/null
	cmake --build build/native -j$(JOBS)
	cmake -S . -B build/native-asan $(NATIVE_CONFIG) -DFWLAUNCH_SANITIZE=ON >/dev/null
	cmake --build build/native-asan -j$(JOBS)
	cmake -S . -B build/win32 $(WIN32_CONFIG) >/dev/null
	cmake --build build/win32 -j$(JOBS)
	cmake -S . -B build/win64 $(WIN64_CONFIG) >/dev/null
	cmake --build build/win64 -j$(JOBS)

# What make demo and make run need: the shipped launcher, the drive simulator
# and the test helpers; no native build, no sanitizers, no GoogleTest.
build-tools: deps
	cmake -S . -B build/win$(BITS) $(WIN$(BITS)_CONFIG) >/dev/null
	cmake --build build/win$(BITS) -j$(JOBS) --target drive-sim-run fake-updater box-answer

build-fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFWLAUNCH_FUZZ=ON >/dev/null
	cmake --build build/fuzz -j$(JOBS)

test: build build-fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash testing/scripts/with-display.sh bash tools/run-tests.sh

fuzz: build-fuzz
	bash tools/run-fuzz.sh $(FUZZ_SECONDS)

demo: build-tools
	MAKE_STARTED=$(MAKE_STARTED) FWLAUNCH_BIN=$(CURDIR)/build/win$(BITS) bash testing/scripts/with-display.sh bash tools/demo.sh

run: build-tools
	FWLAUNCH_BIN=$(CURDIR)/build/win$(BITS) bash testing/scripts/with-display.sh bash tools/run-product.sh "$(TAG)" "$(REV)"

dist: deps
	SIGN_CERT="$(SIGN_CERT)" SIGN_KEY="$(SIGN_KEY)" SIGN_TIMESTAMP_URL="$(SIGN_TIMESTAMP_URL)" bash tools/dist.sh

format: deps
	bash tools/format.sh

bench: build
	bash testing/scripts/with-display.sh bash tools/bench.sh
