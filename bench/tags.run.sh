#!/usr/bin/env bash
# Tags: loads per second against TagLib (target: ratio above 1), a save that grows the tag of a
# 100 MB file against cp of it (target: ratio at most 1.5).
set -eu
build=$1
bin="$build/bench/bench_tags"
[ -x "$bin" ] || { echo "tags: $bin not built"; exit 1; }
export CALVORAN_BENCH_DIR=${CALVORAN_BENCH_DIR:-$(mktemp -d)}
trap 'rm -rf "$CALVORAN_BENCH_DIR/calvoran-tags-bench"' EXIT
json="$CALVORAN_BENCH_DIR/tags.json"
"$bin" --benchmark_out="$json" --benchmark_out_format=json
/usr/bin/python3 - "$json" <<'PY'
import json, sys
runs = {b["name"].split("/")[0]: b for b in json.load(open(sys.argv[1]))["benchmarks"]}
ours = runs["BM_LoadFolder_Tid3v2tag"]["items_per_second"]
taglib = runs["BM_LoadFolder_TagLib"]["items_per_second"]
save = runs["BM_SaveGrow100MB"]["real_time"]
cp = runs["BM_Cp100MB"]["real_time"]
print(f"tags: load {ours:,.0f} files/s, TagLib {taglib:,.0f} files/s, ratio {ours / taglib:.2f} (target > 1)")
print(f"tags: grow-save of 100 MB {save:.0f} ms, cp {cp:.0f} ms, ratio {save / cp:.2f} (target <= 1.5)")
ok = ours > taglib and save / cp <= 1.5
sys.exit(0 if ok else 1)
PY
