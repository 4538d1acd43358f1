EXEC sys.sp_updateextendedproperty @name = N'MS_Description', @value = N'氏名', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'CUSTOMER', @level2type = N'COLUMN', @level2name = N'CUSTOMER_NAME';
GO
ALTER TABLE dbo.CUSTOMER ALTER COLUMN CUSTOMER_KANA VARCHAR2(100) ;
GO
ALTER TABLE dbo.CUSTOMER ALTER COLUMN POINT NUMBER(7,2) NOT NULL;
GO
ALTER TABLE dbo.CUSTOMER ADD BIRTH_DATE DATE  ;
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'生年月日', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'CUSTOMER', @level2type = N'COLUMN', @level2name = N'BIRTH_DATE';
GO
-- PRODUCT.UNIT_PRICE: drop its old default constraint first, if any
ALTER TABLE dbo.PRODUCT ADD DEFAULT 0 FOR UNIT_PRICE;
GO
ALTER TABLE dbo.PRODUCT ALTER COLUMN NOTE VARCHAR2(1000) ;
GO
ALTER TABLE dbo.PRODUCT ADD TAX_RATE NUMBER(4,2) NOT NULL DEFAULT 10;
EXEC sys.sp_addextendedproperty @name = N'MS_Description', @value = N'消費税率（％）', @level0type = N'SCHEMA', @level0name = N'dbo', @level1type = N'TABLE', @level1name = N'PRODUCT', @level2type = N'COLUMN', @level2name = N'TAX_RATE';
GO
ALTER TABLE dbo.ORDERS DROP CONSTRAINT PK_ORDERS;
GO
-- ORDERS.STATUS: drop its old default constraint first, if any
ALTER TABLE dbo.ORDERS ADD DEFAULT '0' FOR STATUS;
GO
ALTER TABLE dbo.ORDERS ADD CONSTRAINT PK_ORDERS PRIMARY KEY (ORDER_NO);
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

DROP TABLE dbo.SHIPMENT;
GO
