# make run:  build smrpower and start it in this terminal.
# make test: build with warnings as errors and run every test, then again under
#            AddressSanitizer and UndefinedBehaviorSanitizer, built by clang.

PACKAGES := cmake ninja-build g++ clang libgtest-dev
BUILD := build
SANITIZE_BUILD := build-sanitize
CONFIGURE := cmake -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSMR_WERROR=ON

.PHONY: run test deps build build-sanitize

deps:
	@tools/ensure-packages $(PACKAGES)

build: deps
	$(CONFIGURE) -S . -B $(BUILD)
	cmake --build $(BUILD)

build-sanitize: deps
	$(CONFIGURE) -DCMAKE_CXX_COMPILER=clang++ -DSMR_SANITIZE=ON -S . -B $(SANITIZE_BUILD)
	cmake --build $(SANITIZE_BUILD)

test: build build-sanitize
	ctest --test-dir $(BUILD) --output-on-failure -j2
	ctest --test-dir $(SANITIZE_BUILD) --output-on-failure -j2

run: build
	@$(BUILD)/smrpower
