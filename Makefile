# make test: install what is missing, build, run every test.
# make run:  install, build, open the dialog (or run the demo script without a terminal).
BUILD   ?= build
JOBS    ?= $(shell nproc)
PACKAGES = g++ make cmake pkg-config sqlite3 libsqlite3-dev libncurses-dev nlohmann-json3-dev \
           libgtest-dev libgmock-dev libbenchmark-dev tmux
SUDO    := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test run bench clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  $(SUDO) apt-get update -qq && DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq $$missing; \
	fi

configure: deps
	@cmake -S . -B $(BUILD) >/dev/null

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

run: build
	@sh app/run.sh $(BUILD)

# The benchmarks, then the whole program beside a plain SQLite dump (stores
# of 100,000 and 1,000,000 assets made once under $(BUILD)/bench-data).
bench: build
	@for b in $(BUILD)/bench-bin/*; do [ -x "$$b" ] && "$$b"; done
	@$(BUILD)/bench-run/side_by_side --bin $(BUILD)/bin --cache $(BUILD)/bench-data --pairs 3

clean:
	rm -rf $(BUILD)
