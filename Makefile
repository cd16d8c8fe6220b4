# Tomeo: `make run` and `make test` do all the set-up on a fresh Debian 12 machine.
JOBS ?= $(shell nproc)
BUILD ?= build
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all deps build run test test-sanitize fuzz bench format clean install deb screenshots

all: build

deps:
	@scripts/install-deps

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

# Only the program is built; a batch with failures ends with exit code 1, which is
# Tomeo's answer, not a failure of make.
run: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target tomeo
	@./$(BUILD)/tomeo $(ARGS); status=$$?; \
	  [ $$status -eq 0 ] || echo "tomeo: exit code $$status"

# A test that cannot run here (a tool missing) says why.
test: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure
	@grep -h 'test skipped: ' $(BUILD)/Testing/Temporary/LastTest.log || true

# Pictures of the window over a sample library, taken under a virtual X server, in
# $(BUILD)/screenshots/ (with a home of their own, so nothing of the user's is touched).
screenshots: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS) --target tomeo_screenshots
	mkdir -p $(BUILD)/screenshots
	QT_QPA_PLATFORM=xcb tests/ui/run_offscreen xvfb-run -a -s "-screen 0 1280x1024x24" \
	  $(BUILD)/tests/ui/tomeo_screenshots $(BUILD)/screenshots

# The program, its manual page, desktop entry and icon under $(DESTDIR)$(PREFIX).
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# A Debian package of the same files, in $(BUILD)/.
deb: build
	cd $(BUILD) && cpack -G DEB

# The tests again, built with AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitize: deps
	cmake -S . -B build-asan -DTOMEO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
	cmake --build build-asan -j $(JOBS)
	ctest --test-dir build-asan -j $(JOBS) --output-on-failure

# Every fuzz target for FUZZ_SECONDS each, with ASan and UBSan, starting from its seeds.
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DTOMEO_FUZZ=ON -DTOMEO_TESTS=OFF \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build build-fuzz -j $(JOBS)
	@for f in build-fuzz/fuzz/fuzz_*; do \
	  name=$${f##*/fuzz_}; mkdir -p fuzz-corpus/$$name; \
	  echo "== $$name"; \
	  $$f -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 fuzz-corpus/$$name fuzz/seeds/$$name || exit 1; \
	done

bench: deps
	cmake -S . -B build-bench -DTOMEO_BENCH=ON -DTOMEO_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench -j $(JOBS)
	bench/run build-bench

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf build build-asan build-fuzz build-bench
