# The two commands a player or developer types: `make run` and `make test`.
# Both install what is missing, configure and build first.

BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: run test build setup configure clean test-asan

run: build
	$(BUILD)/window/vimbo

# A test that this machine cannot run (no private mount in a chroot, no
# tracing in a container) is skipped; why is repeated under CTest's summary.
test: build
	@cd $(BUILD) && { ctest --output-on-failure -j$(JOBS); status=$$?; \
		grep -h '^SKIPPED:' Testing/Temporary/LastTest.log 2>/dev/null; exit $$status; }

build: configure
	cmake --build $(BUILD) -j$(JOBS)

configure: setup
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

setup:
	@tools/setup.sh

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer,
# leak detection on. Leaks inside system libraries we do not own are listed,
# with the reason, in tools/lsan.supp.
ASAN_BUILD ?= build-asan
test-asan: setup
	@test -f $(ASAN_BUILD)/CMakeCache.txt || cmake -S . -B $(ASAN_BUILD) -G Ninja \
		-DCMAKE_BUILD_TYPE=Debug -DVIMBO_SANITIZE=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && \
	ASAN_OPTIONS=detect_leaks=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	VIMBO_SANITIZED=1 \
	ctest --output-on-failure -j$(JOBS)

clean:
	rm -rf $(BUILD)

# `make bench`: speed and memory of a Release build, measured under a private
# Xvfb and printed as one table against our targets; also kept in BENCHMARKS.md.
# BENCH_BEFORE=DIR (the build dir of an earlier version, e.g. a `git worktree`
# of an older commit built in its own folder) measures it in the same run and sets
# its start-up, music sessions, drags and rustle onset side by side with ours.
BENCH_BUILD ?= build-release

.PHONY: bench
bench: setup
	@test -f $(BENCH_BUILD)/CMakeCache.txt || cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) --target vimbo bench_tools -j$(JOBS)
	@# Debian's own Python, which has python3-numpy: another python3 first on
	@# the PATH (a virtual environment, pyenv) may not.
	/usr/bin/python3 tools/bench/bench.py --build $(BENCH_BUILD) --out BENCHMARKS.md \
		$(if $(BENCH_BEFORE),--before $(BENCH_BEFORE))

# `make package`: the Debian package, $(PACKAGE_BUILD)/vimbo_<version>_<arch>.deb,
# from a Release build of its own (CPack; dpkg-shlibdeps finds the libraries).
# `make test-package` builds it and checks it: fields, contents, lintian
# (Debian's own package checker: no error, no warning), and the game played
# from the unpacked package.
PACKAGE_BUILD ?= build-package

.PHONY: package test-package
package: setup
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIMBO_PACKAGE_TESTS=ON \
		-DVIMBO_INSTALL_BINDIR=games
	cmake --build $(PACKAGE_BUILD) --target package -j$(JOBS)

test-package: package
	cd $(PACKAGE_BUILD) && ctest --output-on-failure -L package

# `make fuzz`: the sound files' fuzzers (tests/fuzz/, clang's libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer, a build of their own), run
# for FUZZ_SECONDS shared between the MIDI and the wave fuzzer. An input that
# breaks the sound code is kept in $(FUZZ_BUILD)/crashes/ and the run fails.
# `make fuzz-smoke` is the minute-long run for CI: a fixed seed and FUZZ_RUNS inputs
# per fuzzer, so that it gives the same answer every time on the same sources.
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 300
FUZZ_RUNS    ?= 80000

.PHONY: fuzz fuzz-smoke fuzz-build
fuzz-build: setup
	@test -f $(FUZZ_BUILD)/CMakeCache.txt || CC=clang CXX=clang++ \
		cmake -S tests/fuzz -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j$(JOBS)

fuzz: fuzz-build
	tests/fuzz/run_fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	RUNS=$(FUZZ_RUNS) tests/fuzz/run_fuzz.sh $(FUZZ_BUILD)
