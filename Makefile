# One command for everything: `make test` bootstraps the machine, builds both products and
# runs every test (natively, then the windows build under Wine). In CI it also runs the
# native tests under AddressSanitizer and ThreadSanitizer.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
SANITIZERS := $(if $(filter true,$(CI)),native-asan native-tsan,)

.PHONY: test demo render-bench import-bench bootstrap build native windows sanitizers clean format

test: bootstrap build sanitizers
	ctest --preset native -j $(JOBS)
	ctest --preset windows -j $(JOBS)

bootstrap:
	scripts/bootstrap

# Renders the built-in scene: the map's gradients along open borders, smoothing-group and
# material-ID edges.
demo: native
	mkdir -p out
	build/native/bin/kelvane render -o out/demo.png

# Render time with the map against a constant-colour map on a mesh of about 1M triangles.
render-bench: native
	bench/render-bench

# Loading meshes of about 1M and 8M triangles against the importer's own read and Embree's
# own build; the files are generated in /tmp.
import-bench: native
	bench/import-bench

build: native windows

native windows: bootstrap
	cmake --preset $@ >/dev/null
	cmake --build --preset $@ -j $(JOBS)

sanitizers: bootstrap
	@for preset in $(SANITIZERS); do \
	  cmake --preset $$preset >/dev/null && \
	  cmake --build --preset $$preset -j $(JOBS) && \
	  ctest --preset $$preset -j $(JOBS) || exit 1; \
	done

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build out
