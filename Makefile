# Thin wrapper over CMake and CTest. `make test` and `make run` do all the set-up.
BUILD      ?= build
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-bench
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 30
CMAKE_FLAGS ?=

.PHONY: all deps configure build test tsan run demo bench fuzz fuzz-smoke install format lint clean

all: build

deps:
	@scripts/install-deps

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then \
	  cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZX_WERROR=ON $(CMAKE_FLAGS); \
	fi

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The threaded parts (frame spool, movie frame builder, playback clock, encoder
# process) again under ThreadSanitizer, without the GUI.
TSAN_TARGETS ?= zx_render_tests zx_commands_tests zx_output_tests zx_anim_tests
TSAN_TESTS   ?= FrameSpool|SpoolFile|MovieFrameBuilder|MovieFrameList|PlaybackClock|MoviePlayer|Encoder|WorkersWithTheirOwnModels|FrameFileWriter
tsan: deps
	@if [ ! -f $(TSAN_BUILD)/build.ninja ]; then \
	  cmake -S . -B $(TSAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZX_BUILD_GUI=OFF \
	    -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_C_FLAGS=-fsanitize=thread \
	    -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread; \
	fi
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target $(TSAN_TARGETS)
	cd $(TSAN_BUILD) && TSAN_OPTIONS=halt_on_error=1 ctest --output-on-failure -j $(JOBS) -R '$(TSAN_TESTS)'

run: build
	@scripts/run-app $(BUILD)

demo: configure
	cmake --build $(BUILD) -j $(JOBS) --target zelvotrix-cli
	@scripts/run-demo $(BUILD)

bench: deps
	@if [ ! -f $(BENCH_BUILD)/build.ninja ]; then \
	  cmake -S . -B $(BENCH_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DZX_BUILD_BENCH=ON \
	    -DZX_BUILD_TESTS=OFF -DZX_BUILD_GUI=OFF; \
	fi
	cmake --build $(BENCH_BUILD) -j $(JOBS)
	@scripts/run-benchmarks $(BENCH_BUILD)

fuzz: deps
	@if [ ! -f $(FUZZ_BUILD)/build.ninja ]; then \
	  CC=clang-14 CXX=clang++-14 cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DZX_FUZZ=ON -DZX_BUILD_TESTS=OFF -DZX_BUILD_GUI=OFF; \
	fi
	cmake --build $(FUZZ_BUILD) -j $(JOBS)

fuzz-smoke: fuzz
	@fuzz/run-smoke $(FUZZ_BUILD) $(FUZZ_SECONDS)

install: build
	cmake --install $(BUILD) --prefix $(or $(PREFIX),$(CURDIR)/out)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

# Naming checks of .clang-tidy over src/, with the build's compile commands; any
# warning fails. LINT_DIRS narrows it (e.g. LINT_DIRS="storage anim").
LINT_DIRS ?= platform storage anim imaging mesh3d render output commands cli app ui
CLANG_TIDY_RUNNER ?= $(shell command -v run-clang-tidy-14 || command -v run-clang-tidy)
lint: configure
	@autogen=$$(ninja -C $(BUILD) -t targets all | grep -o '[A-Za-z0-9_]*_autogen: phony' | sed 's/: phony//' | sort -u); \
	  [ -z "$$autogen" ] || cmake --build $(BUILD) --target $$autogen
	$(CLANG_TIDY_RUNNER) -p $(BUILD) -quiet -j $(JOBS) \
	  '$(CURDIR)/src/($(shell echo $(LINT_DIRS) | tr ' ' '|'))/'

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(TSAN_BUILD)
