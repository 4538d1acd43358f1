-- 顧客マスタ (CUSTOMER)
CREATE TABLE dbo.CUSTOMER (
    CUSTOMER_ID NUMBER(10) NOT NULL,
    CUSTOMER_NAME VARCHAR2(100) NOT NULL,
    CUSTOMER_KANA VARCHAR2(100),
    BIRTH_DATE DATE,
    POINT NUMBER(7,2) NOT NULL DEFAULT 0,
    CREATED_AT DATE NOT NULL DEFAULT SYSDATE,
    CONSTRAINT PK_CUSTOMER PRIMARY KEY (
        CUSTOMER_ID
    )
);
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'顧客マスタ', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'CUSTOMER';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'顧客ID', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'CUSTOMER', @level2type = N'COLUMN', @level2name = N'CUSTOMER_ID';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'氏名', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'CUSTOMER', @level2type = N'COLUMN', @level2name = N'CUSTOMER_NAME';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'氏名カナ', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'CUSTOMER', @level2type = N'COLUMN', @level2name = N'CUSTOMER_KANA';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'生年月日', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'CUSTOMER', @level2type = N'COLUMN', @level2name = N'BIRTH_DATE';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'保有ポイント', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'CUSTOMER', @level2type = N'COLUMN', @level2name = N'POINT';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'登録日時', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'CUSTOMER', @level2type = N'COLUMN', @level2name = N'CREATED_AT';
GO

-- 商品マスタ (PRODUCT)
CREATE TABLE dbo.PRODUCT (
    PRODUCT_CODE CHAR(8) NOT NULL,
    PRODUCT_NAME VARCHAR2(200) NOT NULL,
    UNIT_PRICE NUMBER(9,0) NOT NULL DEFAULT 0,
    TAX_RATE NUMBER(4,2) NOT NULL DEFAULT 10,
    NOTE VARCHAR2(1000),
    CONSTRAINT PK_PRODUCT PRIMARY KEY (
        PRODUCT_CODE
    )
);
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'商品マスタ', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'PRODUCT';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'商品コード', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'PRODUCT', @level2type = N'COLUMN', @level2name = N'PRODUCT_CODE';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'商品名', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'PRODUCT', @level2type = N'COLUMN', @level2name = N'PRODUCT_NAME';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'単価（税抜）', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'PRODUCT', @level2type = N'COLUMN', @level2name = N'UNIT_PRICE';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'消費税率（％）', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'PRODUCT', @level2type = N'COLUMN', @level2name = N'TAX_RATE';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'備考', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'PRODUCT', @level2type = N'COLUMN', @level2name = N'NOTE';
GO

-- 注文 (ORDERS)
CREATE TABLE dbo.ORDERS (
    ORDER_NO NUMBER(12) NOT NULL,
    CUSTOMER_ID NUMBER(10) NOT NULL,
    ORDERED_ON DATE NOT NULL DEFAULT SYSDATE,
    STATUS CHAR(1) NOT NULL DEFAULT '0',
    CONSTRAINT PK_ORDERS PRIMARY KEY (
        ORDER_NO
    )
);
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'注文', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'ORDERS';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'注文番号', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'ORDERS', @level2type = N'COLUMN', @level2name = N'ORDER_NO';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'顧客ID', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'ORDERS', @level2type = N'COLUMN', @level2name = N'CUSTOMER_ID';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'注文日', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'ORDERS', @level2type = N'COLUMN', @level2name = N'ORDERED_ON';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'状態（0:受付 1:出荷 9:取消）', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'ORDERS', @level2type = N'COLUMN', @level2name = N'STATUS';
GO

-- 注文明細 (ORDER_DETAIL)
CREATE TABLE dbo.ORDER_DETAIL (
    ORDER_NO NUMBER(12) NOT NULL,
    LINE_NO NUMBER(3) NOT NULL,
    PRODUCT_CODE CHAR(8) NOT NULL,
    QUANTITY NUMBER(5) NOT NULL DEFAULT 1,
    CONSTRAINT PK_ORDER_DETAIL PRIMARY KEY (
        ORDER_NO,
        LINE_NO
    )
);
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'注文明細', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'ORDER_DETAIL';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'注文番号', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'ORDER_DETAIL', @level2type = N'COLUMN', @level2name = N'ORDER_NO';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'明細番号', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'ORDER_DETAIL', @level2type = N'COLUMN', @level2name = N'LINE_NO';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'商品コード', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'ORDER_DETAIL', @level2type = N'COLUMN', @level2name = N'PRODUCT_CODE';
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'数量', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'ORDER_DETAIL', @level2type = N'COLUMN', @level2name = N'QUANTITY';
GO

