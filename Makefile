# The two commands a player or developer types: `make run` and `make test`.
# Both install what is missing, configure and build first.

BUILD ?= build
JOBS  ?= $(shell nproc)

.PHONY: run test build setup configure clean

run: build
	$(BUILD)/window/vimbo

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

build: configure
	cmake --build $(BUILD) -j$(JOBS)

configure: setup
	@test -f $(BUILD)/CMakeCache.txt || cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

setup:
	@tools/setup.sh

clean:
	rm -rf $(BUILD)
