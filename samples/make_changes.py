#!/usr/bin/python3
"""Writes tavrune_changes.json, the sample change settings shipped with Tavrune: one
per database (PostgreSQL, MySQL, SQLite, Oracle, SQL Server), each writing the script
that takes a database built from older definitions to newer ones. Added tables are
written by the database's file setting of tavrune.dat (make_settings.py); SQLite,
which cannot change a column, rebuilds every changed table instead."""

import json
from pathlib import Path

POSTGRESQL = {
    "name": "PostgreSQL (変更)",
    "createFile": "PostgreSQL (1ファイル)",
    "fileName": "change_postgresql.sql",
    "templates": {
        "header": "SET client_encoding = 'SJIS';\nBEGIN;\n",
        "tableRemoved": "DROP TABLE [%TableName];",
        "columnAdded": "ALTER TABLE [%TableName] ADD COLUMN [%RowTitle] [%RowType] [%NotNull] "
                       "[%Default];\nCOMMENT ON COLUMN [%TableName].[%RowTitle] IS '[%Comment]';",
        "columnRemoved": "ALTER TABLE [%TableName] DROP COLUMN [%OldRowTitle];",
        "typeChanged": "ALTER TABLE [%TableName] ALTER COLUMN [%RowTitle] TYPE [%RowType];",
        "notNullSet": "ALTER TABLE [%TableName] ALTER COLUMN [%RowTitle] SET NOT NULL;",
        "notNullDropped": "ALTER TABLE [%TableName] ALTER COLUMN [%RowTitle] DROP NOT NULL;",
        "defaultSet": "ALTER TABLE [%TableName] ALTER COLUMN [%RowTitle] SET [%Default];",
        "defaultDropped": "ALTER TABLE [%TableName] ALTER COLUMN [%RowTitle] DROP DEFAULT;",
        "commentChanged": "COMMENT ON COLUMN [%TableName].[%RowTitle] IS '[%Comment]';",
        "keyDropped": "ALTER TABLE [%TableName] DROP CONSTRAINT PK_[%TableName];",
        "keyAdded": "ALTER TABLE [%TableName] ADD CONSTRAINT PK_[%TableName] PRIMARY KEY "
                    "([%Index]);",
        "titleChanged": "COMMENT ON TABLE [%TableName] IS '[%TableTitle]';",
        "footer": "\nCOMMIT;",
    },
}

# MySQL restates the whole column for every change of it, and places a column with
# AFTER.
MYSQL_COLUMN = ("ALTER TABLE [%TableName] MODIFY COLUMN [%RowTitle] [%RowType] [%NotNull] "
                "[%Default] COMMENT '[%Comment]'")
MYSQL = {
    "name": "MySQL (変更)",
    "createFile": "MySQL (1ファイル)",
    "fileName": "change_mysql.sql",
    "templates": {
        "header": "SET NAMES cp932;\n",
        "tableRemoved": "DROP TABLE [%TableName];",
        "columnAdded": "ALTER TABLE [%TableName] ADD COLUMN [%RowTitle] [%RowType] [%NotNull] "
                       "[%Default] COMMENT '[%Comment]' [%After];",
        "columnRemoved": "ALTER TABLE [%TableName] DROP COLUMN [%OldRowTitle];",
        "typeChanged": MYSQL_COLUMN + ";",
        "notNullSet": MYSQL_COLUMN + ";",
        "notNullDropped": MYSQL_COLUMN + ";",
        "defaultSet": MYSQL_COLUMN + ";",
        "defaultDropped": MYSQL_COLUMN + ";",
        "commentChanged": MYSQL_COLUMN + ";",
        "columnMoved": MYSQL_COLUMN + " [%After];",
        "keyDropped": "ALTER TABLE [%TableName] DROP PRIMARY KEY;",
        "keyAdded": "ALTER TABLE [%TableName] ADD PRIMARY KEY ([%Index]);",
        "titleChanged": "ALTER TABLE [%TableName] COMMENT = '[%TableTitle]';",
    },
}

# A changed table is made again: the old one renamed, the new one created, the kept
# columns copied, the old one dropped.
SQLITE = {
    "name": "SQLite (変更)",
    "createFile": "SQLite (1ファイル)",
    "fileName": "change_sqlite.sql",
    "templates": {
        "header": "PRAGMA foreign_keys = OFF;\nBEGIN TRANSACTION;\n",
        "tableRemoved": "DROP TABLE [%TableName];",
        "tableRebuilt": "ALTER TABLE [%TableName] RENAME TO [%TableName]_OLD;\n[%CreateTable]\n"
                        "INSERT INTO [%TableName] ([%KeptColumns])\n"
                        "    SELECT [%OldKeptColumns] FROM [%TableName]_OLD;\n"
                        "DROP TABLE [%TableName]_OLD;",
        "footer": "\nCOMMIT;\nPRAGMA foreign_keys = ON;",
    },
}

ORACLE = {
    "name": "Oracle (変更)",
    "createFile": "Oracle (1ファイル)",
    "fileName": "change_oracle.sql",
    "templates": {
        "tableRemoved": "DROP TABLE [%TableName] CASCADE CONSTRAINTS;",
        "columnAdded": "ALTER TABLE [%TableName] ADD ([%RowTitle] [%RowType] [%Default] "
                       "[%NotNull]);\nCOMMENT ON COLUMN [%TableName].[%RowTitle] IS '[%Comment]';",
        "columnRemoved": "ALTER TABLE [%TableName] DROP COLUMN [%OldRowTitle];",
        "typeChanged": "ALTER TABLE [%TableName] MODIFY ([%RowTitle] [%RowType]);",
        "notNullSet": "ALTER TABLE [%TableName] MODIFY ([%RowTitle] NOT NULL);",
        "notNullDropped": "ALTER TABLE [%TableName] MODIFY ([%RowTitle] NULL);",
        "defaultSet": "ALTER TABLE [%TableName] MODIFY ([%RowTitle] [%Default]);",
        "defaultDropped": "ALTER TABLE [%TableName] MODIFY ([%RowTitle] DEFAULT NULL);",
        "commentChanged": "COMMENT ON COLUMN [%TableName].[%RowTitle] IS '[%Comment]';",
        "keyDropped": "ALTER TABLE [%TableName] DROP CONSTRAINT PK_[%TableName];",
        "keyAdded": "ALTER TABLE [%TableName] ADD CONSTRAINT PK_[%TableName] PRIMARY KEY "
                    "([%Index]);",
        "titleChanged": "COMMENT ON TABLE [%TableName] IS '[%TableTitle]';",
    },
}

DESCRIPTION = ("EXEC sys.sp_{}extendedproperty @name = N'MS_Description', @value = N'{}', "
               "@level0type = N'SCHEMA', @level0name = N'dbo', "
               "@level1type = N'TABLE', @level1name = N'[%TableName]'{};")
COLUMN_LEVEL = ", @level2type = N'COLUMN', @level2name = N'[%RowTitle]'"
SQL_SERVER_COLUMN = ("ALTER TABLE dbo.[%TableName] ALTER COLUMN [%RowTitle] [%RowType] "
                     "[%NotNull];\nGO")
SQL_SERVER = {
    "name": "SQL Server (変更)",
    "createFile": "SQL Server (1ファイル)",
    "fileName": "change_sqlserver.sql",
    "templates": {
        "tableRemoved": "DROP TABLE dbo.[%TableName];\nGO",
        "columnAdded": "ALTER TABLE dbo.[%TableName] ADD [%RowTitle] [%RowType] [%NotNull] "
                       "[%Default];\n" + DESCRIPTION.format("add", "[%Comment]", COLUMN_LEVEL)
                       + "\nGO",
        "columnRemoved": "ALTER TABLE dbo.[%TableName] DROP COLUMN [%OldRowTitle];\nGO",
        "typeChanged": SQL_SERVER_COLUMN,
        "notNullSet": SQL_SERVER_COLUMN,
        "notNullDropped": SQL_SERVER_COLUMN,
        # A default is a constraint of its own whose name SQL Server makes up.
        "defaultSet": "-- [%TableName].[%RowTitle]: drop its old default constraint first, "
                      "if any\nALTER TABLE dbo.[%TableName] ADD [%Default] FOR [%RowTitle];\nGO",
        "defaultDropped": "-- [%TableName].[%RowTitle]: drop its default constraint by name",
        "commentChanged": DESCRIPTION.format("update", "[%Comment]", COLUMN_LEVEL) + "\nGO",
        "keyDropped": "ALTER TABLE dbo.[%TableName] DROP CONSTRAINT PK_[%TableName];\nGO",
        "keyAdded": "ALTER TABLE dbo.[%TableName] ADD CONSTRAINT PK_[%TableName] PRIMARY KEY "
                    "([%Index]);\nGO",
        "titleChanged": DESCRIPTION.format("update", "[%TableTitle]", "") + "\nGO",
    },
}


def main():
    settings = {"changeSettings": [POSTGRESQL, MYSQL, SQLITE, ORACLE, SQL_SERVER]}
    text = json.dumps(settings, ensure_ascii=False, indent=4) + "\n"
    Path(__file__).with_name("tavrune_changes.json").write_text(text, encoding="utf-8")


if __name__ == "__main__":
    main()
