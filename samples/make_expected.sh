#!/usr/bin/env bash
# Writes expected/: the files the sample file settings for each database and for
# Markdown write from table_definitions.xlsx, and in expected/changes the change
# scripts of the sample change settings from table_definitions_previous.xlsx to it,
# which tests/samples compares byte for byte. Run again after changing make_settings.py, and read the differences.
# usage: samples/make_expected.sh [TAVRUNE_BATCH]   (default: build/bin/tavrune-batch)
set -euo pipefail
batch=$(realpath "${1:-build/bin/tavrune-batch}")
cd "$(dirname "$0")"
write() {
    "$batch" --settings tavrune.dat --file "$1" --output-dir "$2" --overwrite table_definitions.xlsx
}
rm -rf expected
for database in Oracle PostgreSQL MySQL 'SQL Server' SQLite; do
    write "$database (1ファイル)" expected
done
write 'Markdown (テーブルごと)' expected/markdown
for database in Oracle PostgreSQL MySQL 'SQL Server' SQLite; do
    status=0
    "$batch" --settings tavrune.dat --diff --change "$database (変更)" --output-dir expected/changes \
        --overwrite table_definitions_previous.xlsx table_definitions.xlsx || status=$?
    [[ $status == 1 ]] # the versions differ
done
