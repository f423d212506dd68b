# The two commands of the README, and a few more. Each installs what it
# needs first (scripts/setup.sh does nothing when all is there).
.PHONY: test run package deps format bench fuzz memcheck clean

test: deps
	scripts/test.sh

run: deps
	scripts/setup.sh imagemagick
	scripts/run.sh

package: deps
	scripts/package.sh

deps:
	scripts/setup.sh

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

bench: deps
	scripts/setup.sh libbenchmark-dev
	scripts/bench.sh

fuzz:
	scripts/setup.sh clang libclang-rt-14-dev
	scripts/fuzz.sh

memcheck: deps
	scripts/setup.sh valgrind
	scripts/memcheck.sh

clean:
	rm -rf build
