# One entry point on a fresh Debian 12 machine, as root:
#   make demo                    the launcher on a built-in example, every box answered OK
#   make run TAG=... REV=...     the product under Wine on this machine's drives
#   make test                    install what is missing, build both builds, run every test
JOBS ?= 2
NATIVE_CONFIG = -DCMAKE_BUILD_TYPE=Debug
WIN32_CONFIG = -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release

.PHONY: deps build test demo run

deps:
	bash tools/install-deps.sh

build: deps
	cmake -S . -B build/native $(NATIVE_CONFIG) >/dev/null
	cmake --build build/native -j$(JOBS)
	cmake -S . -B build/native-asan $(NATIVE_CONFIG) -DFWLAUNCH_SANITIZE=ON >/dev/null
	cmake --build build/native-asan -j$(JOBS)
	cmake -S . -B build/win32 $(WIN32_CONFIG) >/dev/null
	cmake --build build/win32 -j$(JOBS)

test: build
	bash tools/with-display.sh bash tools/run-tests.sh

demo: build
	bash tools/with-display.sh bash tools/demo.sh

run: build
	bash tools/with-display.sh bash tools/run-product.sh "$(TAG)" "$(REV)"
