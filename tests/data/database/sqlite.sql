-- Every type of the sample ready settings, NOT NULL or not, defaults of each kind,
-- comments and a composite key: what a definition workbook written from the
-- database must carry to a database built again from it. SQLite keeps no table
-- titles; a column's comment is the /* */ at the end of its line.
CREATE TABLE ITEM (
    ITEM_CODE CHAR(6) NOT NULL /* 商品コード */,
    ITEM_NAME VARCHAR(100) NOT NULL DEFAULT '未定' /* 商品名 */,
    PRICE NUMERIC(9,2) NOT NULL DEFAULT 0 /* 単価（税抜） */,
    STOCK NUMERIC(5) /* 在庫数 */,
    RELEASED_ON DATE /* 発売日 */,
    UPDATED_AT TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP /* 更新日時 */,
    CONSTRAINT PK_ITEM PRIMARY KEY (
        ITEM_CODE
    )
);

CREATE TABLE ITEM_PRICE (
    ITEM_CODE CHAR(6) NOT NULL /* 商品コード */,
    VALID_FROM DATE NOT NULL /* 適用開始日 */,
    PRICE NUMERIC(9,2) NOT NULL /* 単価 */,
    STATUS CHAR(1) NOT NULL DEFAULT '1' /* 区分（1:有効 9:取消） */,
    NOTE VARCHAR(200) /* 備考（ソ表） */,
    CONSTRAINT PK_ITEM_PRICE PRIMARY KEY (
        ITEM_CODE,
        VALID_FROM
    )
);
