#!/bin/sh
# Commits one version of a definition workbook, puts the next in its place and
# checks that git diff, through tavrune-batch --textconv, shows the changed
# definition lines.
set -eu
batch=$1 settings=$2 data=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export HOME="$work" GIT_CONFIG_NOSYSTEM=1
git init -q .
git config user.name test
git config user.email test@example.invalid
git config diff.tavrune.textconv "'$batch' --settings '$settings' --format テーブル定義書 --textconv"
echo '*.xlsx diff=tavrune' > .gitattributes
cp "$data/definitions_old.xlsx" book.xlsx
git add .gitattributes book.xlsx
git commit -q -m old
cp "$data/definitions_new.xlsx" book.xlsx
git diff > diff.txt
for line in '-  CUSTOMER_KANA VARCHAR2(100) COMMENT 氏名カナ' \
            '+  EMAIL VARCHAR2(254) COMMENT メールアドレス' \
            '-  POINT NUMBER(7,2) NOT NULL DEFAULT 0 COMMENT 保有ポイント' \
            '+  POINT NUMBER(9,2) NOT NULL DEFAULT 0 COMMENT 保有ポイント' \
            '+TABLE ORDER_DETAIL 注文明細 (sheet 注文明細) ETC2 テーブル名 ETC3 テーブルタイトル'; do
    if ! grep -qxF -- "$line" diff.txt; then
        echo "git diff lacks: $line"
        cat diff.txt
        exit 1
    fi
done
# The unchanged key column is context, not a change.
if grep -q '^[-+]  CUSTOMER_ID' diff.txt; then
    echo "an unchanged column shows as changed"
    cat diff.txt
    exit 1
fi
