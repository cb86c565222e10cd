# Two entry points for newcomers:
#   make demo   configure, build in release mode and run examples/demo.kefo
#   make test   configure, build and run the whole test suite (normal and
#               sanitizer builds) through CTest; a test that runs past ten
#               minutes (the longest takes about twenty seconds) fails, so
#               that a hang ends the run instead of using up its time
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
CMAKE ?= cmake
CTEST ?= ctest

.PHONY: demo test test-normal test-sanitize release bench fuzz clean

release:
	$(CMAKE) -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKEFO_BUILD_TESTS=OFF
	$(CMAKE) --build build/release -j $(JOBS)

demo: release
	cd examples && ../build/release/kefo demo.kefo

test-normal:
	$(CMAKE) -S . -B build/debug -DCMAKE_BUILD_TYPE=RelWithDebInfo
	$(CMAKE) --build build/debug -j $(JOBS)
	cd build/debug && $(CTEST) --output-on-failure --timeout 600 -j $(JOBS)

test-sanitize:
	$(CMAKE) -S . -B build/sanitize -DCMAKE_BUILD_TYPE=Debug -DKEFO_SANITIZE=ON
	$(CMAKE) --build build/sanitize -j $(JOBS)
	cd build/sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 $(CTEST) --output-on-failure --timeout 600 -j $(JOBS)

test: test-normal test-sanitize

bench:
	$(CMAKE) -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DKEFO_BUILD_TESTS=OFF -DKEFO_BUILD_BENCH=ON
	$(CMAKE) --build build/bench -j $(JOBS)

fuzz:
	CXX=clang++ $(CMAKE) -S . -B build/fuzz -DCMAKE_BUILD_TYPE=Debug -DKEFO_SANITIZE=ON -DKEFO_BUILD_FUZZ=ON -DKEFO_BUILD_TESTS=OFF
	$(CMAKE) --build build/fuzz -j $(JOBS)

clean:
	rm -rf build
