/* Writes formats_xlsxwriter.xlsx with libxlsxwriter. make_fixtures.py builds and runs it:
 *   gcc -O1 -o /tmp/make_xlsxwriter_fixture make_xlsxwriter_fixture.c \
 *       $(pkg-config --cflags --libs xlsxwriter)
 *   /tmp/make_xlsxwriter_fixture <output.xlsx>
 */
#include <xlsxwriter.h>

static void writeTable(lxw_worksheet* sheet, const char* table, const char* title)
{
    static const char* headers[] = {"No", "項目名",   "データ型", "桁数", "小数",
                                    "PK", "NOT NULL", "初期値",   "備考"};
    worksheet_write_string(sheet, 2, 1, "テーブル名", NULL);
    worksheet_write_string(sheet, 2, 2, table, NULL);
    worksheet_write_string(sheet, 3, 1, "テーブルタイトル", NULL);
    worksheet_write_string(sheet, 3, 2, title, NULL);
    for (int i = 0; i < 9; ++i) {
        worksheet_write_string(sheet, 5, (lxw_col_t)i, headers[i], NULL);
    }
    worksheet_write_number(sheet, 6, 0, 1, NULL);
    worksheet_write_string(sheet, 6, 1, "ITEM_CODE", NULL);
    worksheet_write_string(sheet, 6, 2, "CHAR", NULL);
    worksheet_write_number(sheet, 6, 3, 8, NULL);
    worksheet_write_string(sheet, 6, 5, "○", NULL);
    worksheet_write_string(sheet, 6, 6, "○", NULL);
    worksheet_write_string(sheet, 6, 8, "商品コード", NULL);
    worksheet_write_number(sheet, 7, 0, 2, NULL);
    worksheet_write_string(sheet, 7, 1, "PRICE", NULL);
    worksheet_write_string(sheet, 7, 2, "NUMBER", NULL);
    worksheet_write_number(sheet, 7, 3, 9, NULL);
    worksheet_write_number(sheet, 7, 4, 2, NULL);
    worksheet_write_number(sheet, 7, 7, 0, NULL);
    worksheet_write_string(sheet, 7, 8, "単価", NULL);
}

int main(int argc, char** argv)
{
    lxw_workbook* workbook = workbook_new(argc > 1 ? argv[1] : "formats_xlsxwriter.xlsx");
    /* A fixed creation time keeps the output the same from run to run. */
    lxw_doc_properties properties = {.author = "fixture", .created = 1704067200};
    workbook_set_properties(workbook, &properties);

    lxw_worksheet* items = workbook_add_worksheet(workbook, "商品");
    writeTable(items, "ITEM", "商品マスタ");

    lxw_worksheet* formats = workbook_add_worksheet(workbook, "書式");
    lxw_format* kanjiDate = workbook_add_format(workbook);
    format_set_num_format(kanjiDate, "yyyy\"年\"m\"月\"d\"日\"");
    lxw_format* quotedD = workbook_add_format(workbook);
    format_set_num_format(quotedD, "0.0\"d\"");
    lxw_format* colour = workbook_add_format(workbook);
    format_set_num_format(colour, "[Red]0.00");
    lxw_format* dateTime = workbook_add_format(workbook);
    format_set_num_format(dateTime, "yyyy/mm/dd hh:mm:ss");
    lxw_format* timeOnly = workbook_add_format(workbook);
    format_set_num_format(timeOnly, "h:mm");
    lxw_format* builtinDate = workbook_add_format(workbook);
    format_set_num_format_index(builtinDate, 14);
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);

    lxw_datetime date = {2024, 1, 31, 0, 0, 0};
    lxw_datetime stamp = {2024, 1, 31, 12, 34, 56};
    worksheet_write_datetime(formats, 0, 0, &date, kanjiDate);
    worksheet_write_number(formats, 1, 0, 3.5, quotedD);
    worksheet_write_number(formats, 2, 0, 1.25, colour);
    worksheet_write_datetime(formats, 3, 0, &stamp, dateTime);
    worksheet_write_number(formats, 4, 0, 0.5, timeOnly);
    worksheet_write_datetime(formats, 5, 0, &date, builtinDate);
    lxw_rich_string_tuple red = {.format = bold, .string = "太字"};
    lxw_rich_string_tuple plain = {.format = NULL, .string = "と普通"};
    lxw_rich_string_tuple* rich[] = {&red, &plain, NULL};
    worksheet_write_rich_string(formats, 6, 0, rich, NULL);
    worksheet_write_formula_num(formats, 7, 0, "=1+2", NULL, 3);
    worksheet_write_formula_str(formats, 8, 0, "=\"ab\"&\"c\"", NULL, "abc");
    worksheet_write_boolean(formats, 9, 0, 1, NULL);
    worksheet_write_boolean(formats, 10, 0, 0, NULL);
    worksheet_write_string(formats, 11, 0, "ベル\a文字", NULL);
    worksheet_write_string(formats, 12, 0, "_x000D_ そのまま", NULL);

    lxw_worksheet* hidden = workbook_add_worksheet(workbook, "非表示");
    worksheet_write_string(hidden, 0, 0, "隠れた値", NULL);
    worksheet_hide(hidden);

    lxw_chartsheet* chartSheet = workbook_add_chartsheet(workbook, "グラフ");
    lxw_chart* chart = workbook_add_chart(workbook, LXW_CHART_COLUMN);
    chart_add_series(chart, NULL, "='商品'!$D$7:$D$8");
    chartsheet_set_chart(chartSheet, chart);

    lxw_worksheet* last = workbook_add_worksheet(workbook, "最後");
    worksheet_write_string(last, 4, 1, "end", NULL);

    return workbook_close(workbook) == LXW_NO_ERROR ? 0 : 1;
}
