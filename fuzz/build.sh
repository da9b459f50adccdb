#!/bin/sh
# Builds the fuzz targets with clang and writes the seed corpus:
#   fuzz/build.sh [BUILD_DIR]        (default: build-fuzz next to this folder)
# Then, for example:
#   BUILD_DIR/fuzz_report_file   -max_total_time=600 BUILD_DIR/corpus/report
#   BUILD_DIR/fuzz_expression    -max_total_time=600 BUILD_DIR/corpus/expression
#   BUILD_DIR/fuzz_rtf_reader    -max_total_time=600 BUILD_DIR/corpus/rtf
# Needs clang and its sanitizer runtime (Debian: clang-14 libclang-rt-14-dev).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../build-fuzz}
cxx=${CXX_FUZZ:-$(command -v clang++-14 || command -v clang++)}
cmake -S "$here" -B "$out" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo
ninja -C "$out" -j"${JOBS:-2}"
mkdir -p "$out/corpus"
# fontconfig keeps its caches to the end; the seeds program reports no other leak.
LSAN_OPTIONS="suppressions=$here/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" QT_QPA_PLATFORM=offscreen "$out/make_seeds" "$out/corpus"
# Golden and regression files of the tests join the seeds when present.
for kind in report prepared; do
  if [ -d "$here/../tests/report/engine/files/data/$kind" ]; then
    cp "$here/../tests/report/engine/files/data/$kind"/* "$out/corpus/$kind/" 2>/dev/null || true
  fi
done
# The seeds of the other targets live in seeds/<target>/; the expression regression inputs
# of the tests join theirs.
for kind in expression display_format csv result_packet pg_connection_string gbk; do
  mkdir -p "$out/corpus/$kind"
  cp "$here/seeds/$kind"/* "$out/corpus/$kind/"
done
cp "$here/../tests/report/engine/expr/data"/* "$out/corpus/expression/" 2>/dev/null || true
# The rich-text fixtures (word-processor RTF) and regression inputs seed the RTF reader.
mkdir -p "$out/corpus/rtf"
cp "$here/../tests/report/engine/rich/data"/*.rtf "$out/corpus/rtf/" 2>/dev/null || true
if [ -d "$here/../tests/report/engine/rich/data/fuzz" ]; then
  cp "$here/../tests/report/engine/rich/data/fuzz"/* "$out/corpus/rtf/" 2>/dev/null || true
fi
echo "fuzz targets in $out"
