# SPDX-License-Identifier: GPL-3.0-or-later
# Builds over CMake; `make run` starts the application, `make test` runs every test,
# `make package` builds the Debian package in build/.
.PHONY: deps build run test bench clean screenshots package

deps:
	@scripts/install-deps.sh

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	./build/zuk

test: build
	ctest --preset default

bench: build
	./build/bench/engine_bench

package: build
	cmake --build --preset default --target package

screenshots: build
	scripts/screenshots.sh

clean:
	rm -rf build
