-- Every type of the sample ready settings, NOT NULL or not, defaults of each kind,
-- comments and a composite key: what a definition workbook written from the
-- database must carry to a database built again from it.
CREATE TABLE item (
    item_code CHAR(6) NOT NULL,
    item_name VARCHAR(100) NOT NULL DEFAULT '未定',
    price NUMERIC(9,2) NOT NULL DEFAULT 0,
    stock NUMERIC(5),
    released_on DATE,
    updated_at TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
    CONSTRAINT pk_item PRIMARY KEY (item_code)
);
COMMENT ON TABLE item IS '商品マスタ';
COMMENT ON COLUMN item.item_code IS '商品コード';
COMMENT ON COLUMN item.item_name IS '商品名';
COMMENT ON COLUMN item.price IS '単価（税抜）';
COMMENT ON COLUMN item.stock IS '在庫数';
COMMENT ON COLUMN item.released_on IS '発売日';
COMMENT ON COLUMN item.updated_at IS '更新日時';

CREATE TABLE item_price (
    item_code CHAR(6) NOT NULL,
    valid_from DATE NOT NULL,
    price NUMERIC(9,2) NOT NULL,
    status CHAR(1) NOT NULL DEFAULT '1',
    note VARCHAR(200),
    CONSTRAINT pk_item_price PRIMARY KEY (item_code, valid_from)
);
COMMENT ON TABLE item_price IS '価格履歴';
COMMENT ON COLUMN item_price.item_code IS '商品コード';
COMMENT ON COLUMN item_price.valid_from IS '適用開始日';
COMMENT ON COLUMN item_price.price IS '単価';
COMMENT ON COLUMN item_price.status IS '区分（1:有効 9:取消）';
COMMENT ON COLUMN item_price.note IS '備考（ソ表）';
