#!/usr/bin/env bash
# Installs what is missing, builds native, win64 and win32, and runs every test:
#   1. core_tests (native GoogleTest) and core_asan_tests (the bitmap reader's tests
#      under AddressSanitizer)
#   2. the fuzz targets tests/fuzz/*_fuzz.cpp, each for a bounded time (clang, build/fuzz)
#   3. the import tables of velmora.exe, velmoractl.exe and Library\*.dll of each build
#      (scripts/check_imports.py: nothing older Windows versions lack)
#   4. the release made from the i686 program folder: the NSIS installer holds every file
#      and info.ini matches it (scripts/make_installer.sh, scripts/check_installer.py)
#   5. the end-to-end suite build/win64/e2e/velmora_e2e.exe under wine64 on Xvfb, in two
#      shards at once (VELMORA_E2E_SHARDS), each with its own wine prefix, display and sink
# and ends with one line "N passed, N failed" counting every test case (a fuzz target is
# one case; a build or a suite that fails to run counts as one failed case).
#
# Options for quick iterations:
#   --skip-install        do not check packages (the cross-built libraries are still made)
#   --skip-win32          do not build the i686 release target
#   --e2e-only            build win64 only and run only the end-to-end suite
#   --unit-only           build native only and run only core_tests
#   --skip-fuzz           do not build or run the fuzz targets
#   --fuzz-time N         seconds per fuzz target (default 20)
#   --gtest_filter=PAT    passed to core_tests and the e2e suite
#   --gtest_repeat=N      passed on likewise (to repeat a case that fails now and then)
#   --keep-run            keep the wine run folder (prefix, sink, logs) for inspection
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
RESULTS="$ROOT/build/test-results"
skip_install=0 skip_win32=0 e2e_only=0 unit_only=0 skip_fuzz=0 fuzz_time=20
gtest_args=()
while [[ $# -gt 0 ]]; do
  case "$1" in
    --skip-install) skip_install=1 ;;
    --skip-win32) skip_win32=1 ;;
    --e2e-only) e2e_only=1 ;;
    --unit-only) unit_only=1 ;;
    --skip-fuzz) skip_fuzz=1 ;;
    --fuzz-time) fuzz_time="$2"; shift ;;
    --fuzz-time=*) fuzz_time="${1#--fuzz-time=}" ;;
    --gtest_filter=*|--gtest_repeat=*) gtest_args+=("$1") ;;
    --keep-run) export VELMORA_KEEP_RUN=1 ;;
    -h|--help) sed -n '2,24p' "$0"; exit 0 ;;
    *) echo "test.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

rm -rf "$RESULTS"
mkdir -p "$RESULTS"
# Failures of steps that are not test cases (builds, suites that crash before reporting).
STEP_FAILURES="$RESULTS/step-failures.txt"
: > "$STEP_FAILURES"
step_failed() { echo "$1" >> "$STEP_FAILURES"; echo "[test] FAILED: $1" >&2; }
log() { echo "[test] $*"; }
# How long each phase took, printed before the closing line.
PHASES="$RESULTS/phases.txt"
: > "$PHASES"
phase_name="" phase_start=$SECONDS
phase() {
  [[ -n "$phase_name" ]] && printf '  %-34s %4d s\n' "$phase_name" $((SECONDS - phase_start)) >> "$PHASES"
  phase_name="$1" phase_start=$SECONDS
}

# --- install and build --------------------------------------------------------------------
phase "packages and libraries"
if [[ $skip_install == 1 ]]; then
  bash "$ROOT/scripts/build_deps.sh" || step_failed "third-party libraries"
else
  bash "$ROOT/scripts/setup.sh" || step_failed "setup"
fi

run_native=1 run_fuzz=1 run_e2e=1
[[ $e2e_only == 1 ]] && run_native=0 run_fuzz=0
[[ $unit_only == 1 ]] && run_e2e=0 run_fuzz=0
[[ $skip_fuzz == 1 ]] && run_fuzz=0

native_ok=0 win64_ok=0
phase "builds"
if [[ $run_native == 1 ]]; then
  bash "$ROOT/scripts/build.sh" --only native && native_ok=1 || step_failed "native build"
fi
if [[ $run_e2e == 1 ]]; then
  bash "$ROOT/scripts/build.sh" --only win64 && win64_ok=1 || step_failed "win64 build"
fi
win32_ok=0
if [[ $skip_win32 == 0 && $e2e_only == 0 && $unit_only == 0 ]]; then
  bash "$ROOT/scripts/build.sh" --only win32 && win32_ok=1 || step_failed "win32 (i686) build"
fi

phase "imports, installer, layering"
# --- import tables: nothing that older Windows versions lack is imported statically -------
if [[ $win64_ok == 1 || $win32_ok == 1 ]]; then
  (
    cd "$ROOT/build" || exit 1
    shopt -s nullglob
    images=()
    for b in win64 win32; do
      ok_var="${b}_ok"
      [[ ${!ok_var} == 1 ]] && images+=("$b/dist/velmora.exe" "$b/dist/velmoractl.exe" "$b"/dist/Library/*.dll)
    done
    log "import tables"
    python3 "$ROOT/scripts/check_imports.py" "$RESULTS/imports.xml" "${images[@]}"
  ) || true
  [[ -f "$RESULTS/imports.xml" ]] || step_failed "import table check wrote no report"
fi

# --- the release: installer and info.ini from the i686 program folder -----------------------
if [[ $win32_ok == 1 ]]; then
  log "installer"
  { bash "$ROOT/scripts/make_installer.sh" "$ROOT/build/win32/dist" "$ROOT/build/release" &&
    python3 "$ROOT/scripts/check_installer.py" "$ROOT/build/win32/dist" "$ROOT/build/release"; } ||
    step_failed "installer (scripts/make_installer.sh, scripts/check_installer.py)"
fi

# --- layering: the folders include each other one way only --------------------------------
python3 "$ROOT/scripts/check_layers.py" "$ROOT" || step_failed "layering (scripts/check_layers.py)"

# --- native unit tests ------------------------------------------------------------------
phase "unit tests"
if [[ $run_native == 1 && $native_ok == 1 ]]; then
  log "core_tests"
  "$ROOT/build/native/tests/unit/core_tests" "${gtest_args[@]}" \
    --gtest_output="xml:$RESULTS/core_tests.xml" 2>&1 | tee "$RESULTS/core_tests.log"
  rc=${PIPESTATUS[0]}
  [[ -f "$RESULTS/core_tests.xml" ]] || echo "core_tests ended without a report (exit $rc)" >&2
  # The hostile-file readers again under AddressSanitizer.
  ASAN_TESTS="$ROOT/build/native/tests/unit/core_asan_tests"
  if [[ -x "$ASAN_TESTS" ]]; then
    log "core_asan_tests"
    "$ASAN_TESTS" "${gtest_args[@]}" --gtest_output="xml:$RESULTS/core_asan_tests.xml" 2>&1 \
      | tee "$RESULTS/core_asan_tests.log"
    rc=${PIPESTATUS[0]}
    [[ -f "$RESULTS/core_asan_tests.xml" ]] || echo "core_asan_tests ended without a report (exit $rc)" >&2
  else
    step_failed "core_asan_tests not built (no AddressSanitizer?)"
  fi
fi

# --- fuzz targets -------------------------------------------------------------------------
phase "fuzz targets"
FUZZ_REPORT="$RESULTS/fuzz.txt"
: > "$FUZZ_REPORT"
shopt -s nullglob
fuzz_sources=("$ROOT"/tests/fuzz/*_fuzz.cpp)
shopt -u nullglob
if [[ $run_fuzz == 1 && ${#fuzz_sources[@]} -gt 0 ]]; then
  FUZZ_DIR="$ROOT/build/fuzz"
  if [[ ! -f "$FUZZ_DIR/build.ninja" ]]; then
    launcher=()
    command -v ccache >/dev/null &&
      launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    CC=clang CXX=clang++ cmake -S "$ROOT" -B "$FUZZ_DIR" -G Ninja -DVELMORA_FUZZ=ON "${launcher[@]}" \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null || step_failed "fuzz configure"
  fi
  # fuzz_one NAME EXE: one target for its time; its line of the report goes to
  # $RESULTS/fuzz-NAME.result.
  fuzz_one() {
    local name="$1" exe="$2" corpus seeds extra made artifacts
    # The corpus: seeds from tests/fuzz/corpus/<name>/ when present, else one tiny input.
    corpus="$FUZZ_DIR/corpus/$name"
    mkdir -p "$corpus"
    if [[ -d "$ROOT/tests/fuzz/corpus/$name" ]]; then
      cp -n "$ROOT/tests/fuzz/corpus/$name"/* "$corpus/" 2>/dev/null || true
    fi
    # A target may make further seeds (tests/fuzz/<name>_seeds.py DIR) and name libFuzzer
    # options of its own (tests/fuzz/<name>.options, e.g. a larger -max_len). Made seeds
    # are read from their own folder each run; large finds are not kept in the corpus.
    seeds=()
    if [[ -f "$ROOT/tests/fuzz/${name}_seeds.py" ]]; then
      made="$FUZZ_DIR/seeds/$name"
      if python3 "$ROOT/tests/fuzz/${name}_seeds.py" "$made"; then seeds=("$made"); else step_failed "fuzz seeds of $name"; fi
      find "$corpus" -type f -size +1M -delete
    fi
    extra=()
    if [[ -f "$ROOT/tests/fuzz/$name.options" ]]; then
      read -r -a extra < <(grep -v '^#' "$ROOT/tests/fuzz/$name.options" | tr '\n' ' ')
    fi
    [[ -n "$(ls -A "$corpus")" ]] || printf 'seed\n' > "$corpus/seed"
    artifacts="$RESULTS/fuzz-$name"
    mkdir -p "$artifacts"
    if "$exe" -max_total_time="$fuzz_time" -timeout=10 -rss_limit_mb=2048 "${extra[@]}" \
         -artifact_prefix="$artifacts/" "$corpus" "${seeds[@]}" >"$RESULTS/fuzz-$name.log" 2>&1; then
      echo "$name passed" > "$RESULTS/fuzz-$name.result"
    else
      echo "$name FAILED (see $RESULTS/fuzz-$name.log)" > "$RESULTS/fuzz-$name.result"
    fi
  }
  if CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1 cmake --build "$FUZZ_DIR" -j "${VELMORA_JOBS:-2}"; then
    # As many targets at once as there are jobs (each is one busy process).
    names=() running=0
    for src in "${fuzz_sources[@]}"; do
      name="$(basename "$src" .cpp)"
      names+=("$name")
      exe="$(find "$FUZZ_DIR" -name "$name" -type f -perm -u+x | head -n1)"
      if [[ -z "$exe" ]]; then
        echo "$name FAILED (not built)" > "$RESULTS/fuzz-$name.result"
        continue
      fi
      log "fuzzing $name for ${fuzz_time}s"
      fuzz_one "$name" "$exe" &
      if (( ++running >= ${VELMORA_JOBS:-2} )); then
        wait -n
        running=$((running - 1))
      fi
    done
    wait
    for name in "${names[@]}"; do
      cat "$RESULTS/fuzz-$name.result" >> "$FUZZ_REPORT" 2>/dev/null ||
        echo "$name FAILED (no result)" >> "$FUZZ_REPORT"
      grep -q "^$name passed" "$RESULTS/fuzz-$name.result" 2>/dev/null ||
        tail -n 30 "$RESULTS/fuzz-$name.log" 2>/dev/null
    done
  else
    step_failed "fuzz build"
  fi
elif [[ $run_fuzz == 1 ]]; then
  log "no fuzz targets yet; fuzzing skipped"
fi

# --- end-to-end suite under wine ----------------------------------------------------------
phase "end-to-end suite"
if [[ $run_e2e == 1 && $win64_ok == 1 ]]; then
  E2E="$ROOT/build/win64/e2e/velmora_e2e.exe"
  if [[ -f "$E2E" ]]; then
    # Three shards at once, each in its own wine prefix, display and audio sink (a run with
    # --gtest_filter is one shard unless VELMORA_E2E_SHARDS says otherwise). The cases
    # mostly wait for the player, so three share two cores well: a whole run under a
    # second full load of both cores took only a seventh longer. Each writes
    # e2e-<n>.xml and e2e-<n>.log; the seconds each suite took are kept in
    # build/e2e-suite-times.txt to balance the next split.
    shards=3
    [[ -n "${gtest_args[*]:-}" ]] && shards=1
    shards="${VELMORA_E2E_SHARDS:-$shards}"
    SUITE_TIMES="$ROOT/build/e2e-suite-times.txt"
    # A fresh clone starts from the figures kept with the tests.
    [[ -f "$SUITE_TIMES" ]] || cp "$ROOT/tests/e2e/suite_times.txt" "$SUITE_TIMES" 2>/dev/null || true
    run_shard() {
      local index="$1" name="e2e-$(( $1 + 1 ))"
      (
        # shellcheck source=scripts/wine_env.sh
        source "$ROOT/scripts/wine_env.sh"
        wine_env_start || exit 3
        export VELMORA_DIST VELMORA_TESTPLUGINS
        VELMORA_DIST="$(to_windows_path "$ROOT/build/win64/dist")"
        VELMORA_TESTPLUGINS="$(to_windows_path "$ROOT/build/win64/testplugins")"
        args=("${gtest_args[@]}")
        if [[ $shards -gt 1 ]]; then
          "$WINE" "$E2E" "${gtest_args[@]}" --gtest_list_tests > "$VELMORA_RUN_DIR/tests.txt" \
            2>/dev/null || exit 3
          filter="$(python3 "$ROOT/scripts/e2e_shards.py" filter "$VELMORA_RUN_DIR/tests.txt" \
                      "$SUITE_TIMES" "$shards" "$index" ${gtest_args[*]:+--cases})" || exit 3
          args=("--gtest_filter=$filter")
        fi
        log "end-to-end suite under wine, shard $((index + 1)) of $shards (build/test-results/$name.log)"
        timeout "${VELMORA_E2E_TIMEOUT:-900}" "$WINE" "$E2E" "${args[@]}" \
          --gtest_output="xml:$(to_windows_path "$RESULTS/$name.xml")" > "$RESULTS/$name.log" 2>&1
      )
      local rc=$?
      [[ -f "$RESULTS/$name.xml" ]] || echo "$name ended without a report (exit $rc)" >&2
      # The console: each shard's lines, marked, in one piece.
      [[ -f "$RESULTS/$name.log" ]] && sed "s/^/[$name] /" "$RESULTS/$name.log"
      # A shard whose environment never came up counts as one failed case.
      [[ -f "$RESULTS/$name.log" ]] || echo "no wine environment (exit $rc)" > "$RESULTS/$name.log"
    }
    shard_pids=()
    for ((i = 0; i < shards; i++)); do
      run_shard "$i" > "$RESULTS/e2e-console-$i.txt" 2>&1 &
      shard_pids+=($!)
    done
    for pid in "${shard_pids[@]}"; do wait "$pid"; done
    for ((i = 0; i < shards; i++)); do cat "$RESULTS/e2e-console-$i.txt"; rm -f "$RESULTS/e2e-console-$i.txt"; done
    python3 "$ROOT/scripts/e2e_shards.py" record "$SUITE_TIMES" "$RESULTS"/e2e-*.xml || true
  else
    step_failed "e2e suite not built ($E2E)"
  fi
fi

phase "MPEG plug-in checks"
# --- the MPEG plug-in on its own, under wine (tags, lengths, audio, streams, bad files) ---
if [[ $run_e2e == 1 && $win64_ok == 1 && -z "${gtest_args[*]:-}" ]]; then
  CHECKS="$ROOT/build/win64/mpeg_tests/mpeg_plugin_checks.exe"
  if [[ -f "$CHECKS" ]]; then
    log "MPEG plug-in checks under wine"
    mpeg_dir="$(mktemp -d "${TMPDIR:-/tmp}/velmora-mpeg.XXXXXX")"
    MPEG_RUN_DIR="$mpeg_dir" MPEG_XML_DIR="$RESULTS" \
      bash "$ROOT/tests/e2e/mpeg_run.sh" "$ROOT/build/win64" 2>&1 | tee "$RESULTS/mpeg_checks_run.txt"
    WINEPREFIX="$mpeg_dir/prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$mpeg_dir"
    [[ -f "$RESULTS/mpeg_checks.xml" ]] || step_failed "MPEG plug-in checks wrote no report"
  else
    step_failed "MPEG plug-in checks not built ($CHECKS)"
  fi
fi

# --- summary ------------------------------------------------------------------------------
phase ""
printf '  %-34s %4d s\n' "total" "$SECONDS" >> "$PHASES"
echo "[test] time per phase:"
cat "$PHASES"
python3 - "$RESULTS" <<'PY'
import glob, os, sys
import xml.etree.ElementTree as ET

results = sys.argv[1]
passed = failed = skipped = 0
failures = []
for path in sorted(glob.glob(os.path.join(results, "*.xml"))):
    suite = os.path.basename(path)[:-4]
    try:
        root = ET.parse(path).getroot()
    except ET.ParseError as e:
        failed += 1
        failures.append(f"{suite}: unreadable report ({e})")
        continue
    for case in root.iter("testcase"):
        name = f"{case.get('classname')}.{case.get('name')}"
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
            failures.append(f"{suite}: {name}")
        elif case.get("result") == "skipped" or case.get("status") == "notrun" \
                or case.find("skipped") is not None:
            skipped += 1
        else:
            passed += 1
# A suite that died before writing its XML report: count what its console output shows,
# and the test that was running when it died as failed.
for log in sorted(glob.glob(os.path.join(results, "*.log"))):
    suite = os.path.basename(log)[:-4]
    if suite.startswith("fuzz-") or os.path.exists(os.path.join(results, suite + ".xml")):
        continue
    running = None
    with open(log, errors="replace") as f:
        for line in f:
            if line.startswith("[ RUN      ] "):
                running = line[13:].strip()
            elif line.startswith("[       OK ] "):
                passed += 1
                running = None
            elif line.startswith("[  FAILED  ] ") and " ms)" in line:
                failed += 1
                failures.append(f"{suite}: {line[13:].split(' (')[0].strip()}")
                running = None
            elif line.startswith("[  SKIPPED ] ") and " ms)" in line:
                skipped += 1
                running = None
    failed += 1
    failures.append(f"{suite}: ended without a report" +
                    (f" while running {running}" if running else ""))
with open(os.path.join(results, "fuzz.txt")) as f:
    for line in f:
        line = line.strip()
        if not line:
            continue
        if line.endswith(" passed"):
            passed += 1
        else:
            failed += 1
            failures.append(f"fuzz: {line}")
with open(os.path.join(results, "step-failures.txt")) as f:
    for line in f:
        if line.strip():
            failed += 1
            failures.append(f"step: {line.strip()}")
for line in failures:
    print(f"FAILED  {line}")
if skipped:
    print(f"({skipped} skipped)")
print(f"{passed} passed, {failed} failed")
with open(os.path.join(results, "summary.txt"), "w") as f:
    f.write(f"{passed} passed, {failed} failed\n")
sys.exit(1 if failed else 0)
PY
