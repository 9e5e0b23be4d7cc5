# The two commands a player or developer types: `make run` and `make test`.
# Both install what is missing, configure and build first: `make run` only
# what the game needs, `make test` everything the suite needs as well.

BUILD ?= build
# Jobs at a time, for builds and tests alike: one more than processors. A
# compiler waits on the disk now and then, and the end-to-end tests spend much
# of their time waiting on a real program (its opening picture, a sound
# server, the screen reader); a job more keeps the processors busy.
JOBS  ?= $(shell echo $$(($$(nproc) + 1)))

.PHONY: run test check tools build setup configure clean test-asan

# The game alone: its packages, its build (no tests, tools or benchmarks).
# A build folder made by `make test` is used as it is.
run:
	@tools/setup.sh play
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -G Ninja \
		-DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIMBO_TESTS=OFF
	cmake --build $(BUILD) --target vimbo -j$(JOBS)
	$(BUILD)/window/vimbo

# A test that this machine cannot run (no private mount in a chroot, no
# tracing in a container) is skipped; why is repeated under CTest's summary.
# The suite runs with a temporary folder of its own, which it must leave as
# it found it: anything left there is named and fails the run.
test: build
	@$(call suite,)

# `make check`: the quick loop while working, the unit and window tests (and
# the formatting) alone, built and run in well under a minute.
check: configure
	cmake --build $(BUILD) --target vimbo_check -j$(JOBS)
	@$(call suite,-L 'unit|window|lint')

# `make tools`: the developers' tools (benchmarks, contact sheet, music
# renderer), which neither the game nor the suite needs.
tools: configure
	cmake --build $(BUILD) --target vimbo_tools -j$(JOBS)

suite = cd $(BUILD) && { suite_tmp=$$(mktemp -d); \
	TMPDIR=$$suite_tmp ctest --output-on-failure -j$(JOBS) $(1); status=$$?; \
	grep -h '^SKIPPED:' Testing/Temporary/LastTest.log 2>/dev/null; \
	left=$$(cd $$suite_tmp && ls -A); \
	if [ -n "$$left" ]; then echo "The suite left in its TMPDIR:" $$left; status=1; fi; \
	rm -rf $$suite_tmp; exit $$status; }

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# A build folder that `make run` configured without the tests gets them now,
# and the suite's build treats a compiler warning as an error.
configure: setup
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
		-DVIMBO_TESTS=ON -DVIMBO_WERROR=ON
	@grep -q -e '^VIMBO_TESTS:BOOL=ON' $(BUILD)/CMakeCache.txt && grep -q '^VIMBO_WERROR:BOOL=ON' $(BUILD)/CMakeCache.txt \
		|| cmake -S . -B $(BUILD) -DVIMBO_TESTS=ON -DVIMBO_WERROR=ON

setup:
	@tools/setup.sh play test

clean:
	rm -rf $(BUILD)

# The whole suite again, built with AddressSanitizer and UndefinedBehaviorSanitizer,
# leak detection on. Leaks inside system libraries we do not own are listed,
# with the reason, in tools/lsan.supp.
ASAN_BUILD ?= build-asan
test-asan: setup
	@test -f $(ASAN_BUILD)/CMakeCache.txt || cmake -S . -B $(ASAN_BUILD) -G Ninja \
		-DCMAKE_BUILD_TYPE=Debug -DVIMBO_SANITIZE=ON -DVIMBO_WERROR=ON
	cmake --build $(ASAN_BUILD) -j$(JOBS)
	cd $(ASAN_BUILD) && \
	ASAN_OPTIONS=detect_leaks=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tools/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	VIMBO_SANITIZED=1 \
	ctest --output-on-failure -j$(JOBS)

# `make bench`: speed and memory of a Release build, measured under a private
# Xvfb and printed as one table against our targets; also kept in BENCHMARKS.md.
# BENCH_BEFORE=DIR (the build dir of an earlier version, e.g. a `git worktree`
# of an older commit built in its own folder) measures it in the same run and sets
# its start-up, music sessions, drags and rustle onset side by side with ours.
BENCH_BUILD ?= build-release

.PHONY: bench
bench:
	@tools/setup.sh play test bench
	@test -f $(BENCH_BUILD)/CMakeCache.txt || cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BENCH_BUILD) --target vimbo bench_tools -j$(JOBS)
	@# Debian's own Python, which has python3-numpy: another python3 first on
	@# the PATH (a virtual environment, pyenv) may not.
	/usr/bin/python3 tools/bench/bench.py --build $(BENCH_BUILD) --out BENCHMARKS.md \
		$(if $(BENCH_BEFORE),--before $(BENCH_BEFORE))

# `make package`: the Debian package, $(PACKAGE_BUILD)/vimbo_<version>_<arch>.deb,
# from a Release build of its own (CPack; dpkg-shlibdeps finds the libraries).
# It is compiled with Debian's own flags (dpkg-buildflags) and all of their
# hardening: fortified functions, stack protector, relocations read-only and
# bound at start (bindnow, which Debian 12 does not give unasked). The flags
# go to CMake at every configure, because a configured folder keeps the ones
# of its first configure and ignores CXXFLAGS from then on.
# The same sources give the same bytes wherever they are built:
# SOURCE_DATE_EPOCH (the last commit's time; without git, the changelog's
# newest entry) dates every file in the package and the package itself,
# umask 022 gives its members the same modes for everyone, and dpkg-buildflags
# maps the source folder, and so the build folder inside it, to `.` in what
# the compiler writes.
# `make test-package` builds it and checks it: fields, contents, lintian
# (Debian's own package checker: no error, no warning), the hardening and no
# RUNPATH in the executable, the game played from the unpacked package, and
# the same package built again from a copy of the sources elsewhere.
# PACKAGE_TESTS=OFF builds the package alone, without the suite that checks it.
PACKAGE_BUILD ?= build-package
PACKAGE_TESTS ?= ON

.PHONY: package test-package
package:
	@tools/setup.sh play $(if $(filter ON,$(PACKAGE_TESTS)),test) package
	flags() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get $$1; }; \
	cmake -S . -B $(PACKAGE_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DVIMBO_INSTALL_BINDIR=games \
		-DVIMBO_TESTS=$(PACKAGE_TESTS) -DVIMBO_PACKAGE_TESTS=$(PACKAGE_TESTS) \
		-DCMAKE_CXX_FLAGS="$$(flags CPPFLAGS) $$(flags CXXFLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="$$(flags LDFLAGS)"
	umask 022; SOURCE_DATE_EPOCH=$${SOURCE_DATE_EPOCH:-$$( { test -e .git && git log -1 --format=%ct; } 2>/dev/null || \
		dpkg-parsechangelog -l packaging/changelog -STimestamp)} \
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
fuzz-build:
	@tools/setup.sh play fuzz
	@test -f $(FUZZ_BUILD)/CMakeCache.txt || CC=clang CXX=clang++ \
		cmake -S tests/fuzz -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(FUZZ_BUILD) -j$(JOBS)

fuzz: fuzz-build
	tests/fuzz/run_fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz-smoke: fuzz-build
	RUNS=$(FUZZ_RUNS) tests/fuzz/run_fuzz.sh $(FUZZ_BUILD)
