# oscat: `make demo` builds and runs the bundled examples; `make test` runs every test.
SHELL := /bin/bash
JOBS ?= $(shell nproc)
PACKAGES := g++ cmake make python3 libgtest-dev libgmock-dev libboost-math-dev libcli11-dev nlohmann-json3-dev \
            python3-dev python3-numpy python3-pandas pybind11-dev
BUILD := build
# The Python module is built for, and tested with, the system interpreter
# (numpy and pandas come from the Debian packages above).
PYTHON := /usr/bin/python3
TEST_BUILD := build-test
REPORT := report

.PHONY: all deps build demo test python python-test bench clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  SUDO=""; [ "$$(id -u)" -ne 0 ] && SUDO=sudo; \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DOSCAT_TESTS=OFF > /dev/null
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	@mkdir -p $(REPORT)
	@status=0; for f in examples/*.sps; do \
	  echo "== $$f"; \
	  $(BUILD)/oscat run $$f || status=1; \
	done; \
	$(BUILD)/oscat run examples/*.sps --format html --output $(REPORT)/report.html && \
	$(BUILD)/oscat run examples/*.sps --format json --output $(REPORT)/report.json && \
	echo "report written to $(REPORT)/report.html and $(REPORT)/report.json"; exit $$status

test: deps
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSCAT_SANITIZE=ON > /dev/null
	cmake --build $(TEST_BUILD) -j $(JOBS)
	cd $(TEST_BUILD) && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory python-test

# The Python module lives in a release build (a sanitized library cannot be
# loaded into an uninstrumented interpreter): build/python/oscat.
python: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DOSCAT_TESTS=OFF -DOSCAT_PYTHON=ON \
	  -DPython3_EXECUTABLE=$(PYTHON) > /dev/null
	cmake --build $(BUILD) -j $(JOBS) --target oscat_python
	@echo "The module is in $(CURDIR)/$(BUILD)/python; use it with"
	@echo "  export PYTHONPATH=$(CURDIR)/$(BUILD)/python"
	@echo "  $(PYTHON) -c 'import oscat'"

python-test: python
	cd $(BUILD) && ctest -L python --output-on-failure -j $(JOBS)

bench: deps
	cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DOSCAT_TESTS=OFF -DOSCAT_BENCH=ON \
	  -DOSCAT_PYTHON=ON -DPython3_EXECUTABLE=$(PYTHON) > /dev/null
	cmake --build build-bench -j $(JOBS)
	bench/run.sh build-bench

clean:
	rm -rf $(BUILD) $(TEST_BUILD) build-bench $(REPORT)
