-- Every type of the sample ready settings, NOT NULL or not, defaults of each kind,
-- comments and a composite key: what a definition workbook written from the
-- database must carry to a database built again from it.
CREATE TABLE ITEM (
    ITEM_CODE CHAR(6) NOT NULL COMMENT '商品コード',
    ITEM_NAME VARCHAR(100) NOT NULL DEFAULT '未定' COMMENT '商品名',
    PRICE NUMERIC(9,2) NOT NULL DEFAULT 0 COMMENT '単価（税抜）',
    STOCK NUMERIC(5) COMMENT '在庫数',
    RELEASED_ON DATE COMMENT '発売日',
    UPDATED_AT TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP COMMENT '更新日時',
    PRIMARY KEY (ITEM_CODE)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COMMENT='商品マスタ';

CREATE TABLE ITEM_PRICE (
    ITEM_CODE CHAR(6) NOT NULL COMMENT '商品コード',
    VALID_FROM DATE NOT NULL COMMENT '適用開始日',
    PRICE NUMERIC(9,2) NOT NULL COMMENT '単価',
    STATUS CHAR(1) NOT NULL DEFAULT '1' COMMENT '区分（1:有効 9:取消）',
    NOTE VARCHAR(200) COMMENT '備考（ソ表）',
    PRIMARY KEY (ITEM_CODE, VALID_FROM)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COMMENT='価格履歴';
