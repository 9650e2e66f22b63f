#!/usr/bin/env bash
# Durable commits: our archive against SQLite (WAL, synchronous=FULL, one
# transaction per record) on the same disk in the same run.
#   bench/run-archive.sh [BUILD_FOLDER] [COUNT]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../out/release}
count=${2:-10000}
work=$(mktemp -d "${TMPDIR:-/var/tmp}/kestrune-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

cmake --build "$build" --target bench_archive_commits -j "$(nproc)" >/dev/null
ours=$("$build/bench/bench_archive_commits" "$work/archive.dat" "$count")
ours_size=$(stat -c %s "$work/archive.dat")

theirs=$(python3 - "$work/records.db" "$count" <<'PY'
import sqlite3, sys, time
path, count = sys.argv[1], int(sys.argv[2])
db = sqlite3.connect(path, isolation_level=None)
db.execute("PRAGMA journal_mode=WAL")
db.execute("PRAGMA synchronous=FULL")
db.execute("CREATE TABLE entries (name TEXT PRIMARY KEY, content BLOB)")
record = b"r" * 100
start = time.perf_counter()
for i in range(count):
    db.execute("BEGIN")
    db.execute("INSERT INTO entries VALUES (?, ?)", ("record/%d" % i, record))
    db.execute("COMMIT")
print("commit %.6f" % (time.perf_counter() - start))
db.execute("PRAGMA wal_checkpoint(TRUNCATE)")
db.close()
start = time.perf_counter()
db = sqlite3.connect(path)
db.execute("SELECT count(*) FROM entries").fetchone()
print("open %.6f" % (time.perf_counter() - start))
start = time.perf_counter()
total = sum(len(r[0]) for r in db.execute("SELECT content FROM entries"))
print("read %.6f" % (time.perf_counter() - start))
PY
)
theirs_size=$(stat -c %s "$work/records.db")

value() { echo "$1" | awk -v k="$2" '$1 == k { print $2 }'; }
echo "records: $count of 100 bytes, each committed durably"
for phase in commit open read; do
  o=$(value "$ours" $phase); t=$(value "$theirs" $phase)
  awk -v p=$phase -v o="$o" -v t="$t" -v n="$count" 'BEGIN {
    printf "%-7s ours %9.4f s  sqlite %9.4f s  ratio %6.2f", p, o, t, (t > 0 ? o / t : 0)
    if (p == "commit") printf "  (%.1f us vs %.1f us per record)", o / n * 1e6, t / n * 1e6
    printf "\n" }'
done
echo "file size: ours $ours_size bytes, sqlite $theirs_size bytes, ratio $(awk -v o=$ours_size -v t=$theirs_size 'BEGIN{printf "%.2f", o/t}')"
