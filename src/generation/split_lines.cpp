#include "generation/split_lines.h"

#include "common/error.h"
#include "settings/setting_fields.h"

namespace tavrune {

namespace {

// Line counts and positions are 16-bit in the settings users carry over.
constexpr qsizetype kMaxLines = 32767;
constexpr qsizetype kMaxLineBeforeBreak = 32764;

} // namespace

QStringList splitLines(const QString& text, const QString& templateName)
{
    QStringList lines;
    qsizetype start = 0;
    for (;;) {
        const qsizetype lineBreak = text.indexOf(QStringLiteral("\r\n"), start);
        if (lineBreak >= 0 && lineBreak - start > kMaxLineBeforeBreak) {
            throw Error(ErrorNumber::Overflow,
                        QStringLiteral("%1の %2 行目が長すぎます (1 行 %3 文字まで)。")
                            .arg(templateName)
                            .arg(lines.size() + 1)
                            .arg(kMaxLineBeforeBreak));
        }
        if (lines.size() == kMaxLines) {
            throw Error(ErrorNumber::Overflow, QStringLiteral("%1の行が多すぎます (%2 行まで)。")
                                                   .arg(templateName)
                                                   .arg(kMaxLines));
        }
        if (lineBreak < 0) {
            lines.append(text.mid(start));
            return lines;
        }
        lines.append(text.mid(start, lineBreak - start));
        start = lineBreak + 2;
    }
}

TemplateLines splitTemplates(const FileSetting& file)
{
    const auto split = [&file](Template which) {
        return splitLines(file.text(which), fileFieldName(templateField(which)));
    };
    TemplateLines lines;
    lines.body = split(Template::Body);
    lines.header = split(Template::Header);
    lines.footer = split(Template::Footer);
    return lines;
}

} // namespace tavrune
