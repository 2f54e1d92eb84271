# One command for everything: `make test` bootstraps the machine, builds both products and
# runs every test (natively, then the windows build under Wine). In CI it also checks the
# formatting, treats compiler warnings as errors, runs the native tests under
# AddressSanitizer and ThreadSanitizer, and runs the fuzz targets over their corpora.
SHELL := /bin/bash
# An empty environment (env -i, as on a fresh machine) has no PATH; cmake needs one to find
# its own files.
export PATH := $(if $(PATH),$(PATH),/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)
JOBS ?= $(shell nproc)
CI_RUN := $(filter true,$(CI))
SANITIZERS := $(if $(CI_RUN),native-asan native-tsan,)
CONFIGURE_FLAGS := $(if $(CI_RUN),-DKELVANE_WERROR=ON,)

.PHONY: test demo render-bench import-bench bootstrap build native windows sanitizers \
	fuzz-check fixtures format format-check clean

test: bootstrap $(if $(CI_RUN),format-check) build sanitizers $(if $(CI_RUN),fuzz-check)
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
	cmake --preset $@ $(CONFIGURE_FLAGS) >/dev/null
	cmake --build --preset $@ -j $(JOBS)

sanitizers: bootstrap
	@for preset in $(SANITIZERS); do \
	  cmake --preset $$preset $(CONFIGURE_FLAGS) >/dev/null && \
	  cmake --build --preset $$preset -j $(JOBS) && \
	  ctest --preset $$preset -j $(JOBS) || exit 1; \
	done

# Only the fuzz targets: the rest of this preset is what the other presets already test.
fuzz-check: bootstrap
	cmake --preset native-fuzz $(CONFIGURE_FLAGS) >/dev/null
	cmake --build --preset native-fuzz -j $(JOBS) --target scene_load_fuzzer kelvane_scene_fuzzer
	scripts/run-fuzzers build/native-fuzz/bin

# Rewrites the committed scene with a map from the program that makes it.
fixtures: bootstrap
	cmake --preset native $(CONFIGURE_FLAGS) >/dev/null
	cmake --build --preset native -j $(JOBS) --target fixtures

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

clean:
	rm -rf build out
