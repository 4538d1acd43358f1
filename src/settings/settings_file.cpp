#include "settings/settings_file.h"

#include "common/cp932_text.h"
#include "common/error.h"
#include "common/replacing_file.h"
#include "common/system_error_text.h"
#include "common/user_interaction.h"
#include "settings/setting_fields.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <limits>

namespace tavrune {

namespace {

constexpr char kFieldEnd = '\x01';
constexpr char kSectionMark = '\x02';
constexpr char kLineBreakMark = '\x03';
constexpr char kLineEnd[] = "\r\n";

// The fields of a format line, in their order.
constexpr std::array<FormatField, 20> kFormatLineFields = {
    FormatField::Name,       FormatField::TableName, FormatField::TableTitle,
    FormatField::RowStart,   FormatField::RowTitle,  FormatField::RowType,
    FormatField::RowLength,  FormatField::RowScale,  FormatField::Index,
    FormatField::StrIndex,   FormatField::NotNull,   FormatField::StrNotNull,
    FormatField::SetNotNull, FormatField::Etc1,      FormatField::Etc2,
    FormatField::Etc3,       FormatField::Etc4,      FormatField::Default,
    FormatField::SetDefault, FormatField::Comment,
};

// Names of the fields by their number in a line, counted from 1.
QString fileLineFieldName(int number)
{
    return fileFieldName(static_cast<FileField>(number - 1));
}

QString formatLineFieldName(int number)
{
    return formatFieldName(kFormatLineFields[number - 1]);
}

[[noreturn]] void throwLineFault(const QString& why)
{
    throw Error(ErrorNumber::ApplicationDefined, why);
}

// ---- Reading ----

// An integer of the given range: optional blanks around it, an optional sign and
// decimal digits, nothing else.
std::optional<qint64> readInteger(const QString& text, qint64 min, qint64 max)
{
    const QString s = text.trimmed();
    qsizetype pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == u'+' || s[pos] == u'-')) {
        negative = s[pos] == u'-';
        ++pos;
    }
    if (pos == s.size()) {
        return std::nullopt;
    }
    qint64 magnitude = 0;
    for (; pos < s.size(); ++pos) {
        const char16_t c = s[pos].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > max + 1) { // + 1 leaves room for the negative limit
            return std::nullopt;
        }
    }
    const qint64 value = negative ? -magnitude : magnitude;
    if (value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

// Takes the fields of one line from the front.
class LineFields
{
public:
    explicit LineFields(QByteArrayView line) : m_line(line) {}

    bool hasField() const { return m_line.indexOf(kFieldEnd, m_pos) >= 0; }

    // The next field, which must be followed by a field end.
    QString required(const QString& name)
    {
        const qsizetype end = m_line.indexOf(kFieldEnd, m_pos);
        if (end < 0) {
            throwLineFault(
                QStringLiteral("「%1」がありません (区切り 0x01 が足りません)。").arg(name));
        }
        const QByteArrayView bytes = m_line.sliced(m_pos, end - m_pos);
        m_pos = end + 1;
        m_lastName = name;
        std::optional<QString> text = decodeCp932(bytes);
        if (!text) {
            throwLineFault(
                QStringLiteral("「%1」にコード ページ 932 の文字として読めないバイトがあります。")
                    .arg(name));
        }
        return *text;
    }

    // The next field if one follows, otherwise empty text.
    QString optional(const QString& name) { return hasField() ? required(name) : QString(); }

    qint64 integer(const QString& name, qint64 min, qint64 max)
    {
        const QString text = required(name);
        const std::optional<qint64> value = readInteger(text, min, max);
        if (!value) {
            throwLineFault(
                QStringLiteral("「%1」の値 \"%2\" は %3 から %4 の整数ではありません。")
                    .arg(name, text.left(50), QString::number(min), QString::number(max)));
        }
        return *value;
    }

    // A field whose text must be one of a few spellings.
    template <typename Value>
    Value spelling(const QString& name, std::optional<Value> (*fromName)(const QString&),
                   const QString& known)
    {
        const QString text = required(name);
        const std::optional<Value> value = fromName(text);
        if (!value) {
            throwLineFault(QStringLiteral("「%1」の値 \"%2\" は %3 のどれでもありません。")
                               .arg(name, text.left(50), known));
        }
        return *value;
    }

    // Every byte of a line belongs to a field the reader knows: whatever follows
    // would be lost by the next save, so the line counts as damaged.
    void finish() const
    {
        if (m_pos < m_line.size()) {
            throwLineFault(QStringLiteral("「%1」の後に、読み込めない %2 バイトがあります。")
                               .arg(m_lastName, QString::number(m_line.size() - m_pos)));
        }
    }

private:
    QByteArrayView m_line;
    qsizetype m_pos = 0;
    QString m_lastName;
};

QString templateFromFile(QString text)
{
    return text.replace(QChar(kLineBreakMark), QStringLiteral("\r\n"));
}

FormatSetting readFormatLine(QByteArrayView line)
{
    LineFields fields(line);
    FormatSetting s;
    s.Name = fields.required(formatLineFieldName(1));
    s.TableName = fields.required(formatLineFieldName(2));
    s.TableTitle = fields.required(formatLineFieldName(3));
    s.RowStart = static_cast<qint32>(fields.integer(formatLineFieldName(4),
                                                    std::numeric_limits<qint32>::min(),
                                                    std::numeric_limits<qint32>::max()));
    s.RowTitle = fields.required(formatLineFieldName(5));
    s.RowType = fields.required(formatLineFieldName(6));
    s.RowLength = fields.required(formatLineFieldName(7));
    s.RowScale = fields.required(formatLineFieldName(8));
    s.Index = fields.required(formatLineFieldName(9));
    s.StrIndex = fields.required(formatLineFieldName(10));
    s.NotNull = fields.required(formatLineFieldName(11));
    s.StrNotNull = fields.required(formatLineFieldName(12));
    // Older lines end earlier; the extra cells are read only behind SetNotNull.
    if (fields.hasField()) {
        s.SetNotNull = fields.required(formatLineFieldName(13));
        for (int i = 0; i < 4; ++i) {
            s.Etc[i] = fields.optional(formatLineFieldName(14 + i));
        }
    }
    if (fields.hasField()) {
        s.Default = fields.required(formatLineFieldName(18));
        s.SetDefault = fields.required(formatLineFieldName(19));
    }
    s.Comment = fields.optional(formatLineFieldName(20));
    fields.finish();
    return s;
}

FileSetting readFileLine(QByteArrayView line)
{
    constexpr qint64 kMin = std::numeric_limits<qint16>::min();
    constexpr qint64 kMax = std::numeric_limits<qint16>::max();
    LineFields fields(line);
    FileSetting s;
    s.Name = fields.required(fileLineFieldName(1));
    for (const Template which : kTemplates) {
        s.text(which) = templateFromFile(fields.required(fileFieldName(templateField(which))));
    }
    s.OutputFile = static_cast<qint16>(fields.integer(fileLineFieldName(5), kMin, kMax));
    for (int i = 0; i < 2; ++i) {
        s.OutputFileStrCheck[i] =
            static_cast<qint16>(fields.integer(fileLineFieldName(6 + i), kMin, kMax));
    }
    for (int i = 0; i < 2; ++i) {
        s.OutputFileStr[i] = fields.required(fileLineFieldName(8 + i));
    }
    s.OutputFileName = fields.required(fileLineFieldName(10));
    s.OutputDir = fields.required(fileLineFieldName(11));
    // Files written before these fields existed end here.
    if (fields.hasField()) {
        s.Encoding = fields.spelling(fileLineFieldName(12), encodingFromName,
                                     QStringLiteral("CP932、UTF-8、UTF-8-BOM"));
    }
    if (fields.hasField()) {
        s.LineEnding =
            fields.spelling(fileLineFieldName(13), lineEndFromName, QStringLiteral("CRLF、LF"));
    }
    fields.finish();
    return s;
}

// ---- Writing ----

// Builds record lines, refusing what the file cannot hold.
class LineWriter
{
public:
    LineWriter(QString kind, QString name) : m_kind(std::move(kind)), m_name(std::move(name)) {}

    // A field that is not a template: it must not hold a line break.
    void add(const QString& field, const QString& fieldName)
    {
        for (QChar c : field) {
            if (c == u'\r' || c == u'\n') {
                refuse(
                    fieldName,
                    QStringLiteral("に改行 (%1) があります。").arg(describeCodePoint(c.unicode())));
            }
        }
        addEncoded(field, fieldName);
    }

    // A template: each line break (CR LF, or a lone CR or LF) becomes one 0x03.
    void addTemplate(const QString& text, const QString& fieldName)
    {
        QString marked;
        marked.reserve(text.size());
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == u'\r') {
                if (i + 1 < text.size() && text[i + 1] == u'\n') {
                    ++i;
                }
                marked.append(QChar(kLineBreakMark));
            } else if (text[i] == u'\n') {
                marked.append(QChar(kLineBreakMark));
            } else {
                marked.append(text[i]);
            }
        }
        addEncoded(marked, fieldName);
    }

    QByteArray finish() { return m_line + kLineEnd; }

private:
    void addEncoded(const QString& field, const QString& fieldName)
    {
        if (field.contains(QChar(kFieldEnd))) {
            refuse(fieldName, QStringLiteral("に区切りの文字 %1 があります。")
                                  .arg(describeCodePoint(char32_t(kFieldEnd))));
        }
        char32_t bad = 0;
        const std::optional<QByteArray> bytes = encodeCp932(field, &bad);
        if (!bytes) {
            refuse(fieldName, QStringLiteral("の文字 %1 はコード ページ 932 で表せません。")
                                  .arg(describeCodePoint(bad)));
        }
        m_line += *bytes;
        m_line += kFieldEnd;
    }

    [[noreturn]] void refuse(const QString& fieldName, const QString& what)
    {
        throw Error(ErrorNumber::ApplicationDefined,
                    QStringLiteral("%1 \"%2\" の「%3」%4").arg(m_kind, m_name, fieldName, what));
    }

    QString m_kind;
    QString m_name;
    QByteArray m_line;
};

QByteArray formatLine(const FormatSetting& s)
{
    LineWriter line(QStringLiteral("書式設定"), s.Name);
    const std::array<const QString*, 20> texts = {
        &s.Name,    &s.TableName,  &s.TableTitle, nullptr,       &s.RowTitle,
        &s.RowType, &s.RowLength,  &s.RowScale,   &s.Index,      &s.StrIndex,
        &s.NotNull, &s.StrNotNull, &s.SetNotNull, &s.Etc[0],     &s.Etc[1],
        &s.Etc[2],  &s.Etc[3],     &s.Default,    &s.SetDefault, &s.Comment,
    };
    for (int i = 0; i < 20; ++i) {
        line.add(texts[i] ? *texts[i] : QString::number(s.RowStart), formatLineFieldName(i + 1));
    }
    return line.finish();
}

QByteArray fileLine(const FileSetting& s)
{
    LineWriter line(QStringLiteral("ファイル設定"), s.Name);
    line.add(s.Name, fileLineFieldName(1));
    for (const Template which : kTemplates) {
        line.addTemplate(s.text(which), fileFieldName(templateField(which)));
    }
    line.add(QString::number(s.OutputFile), fileLineFieldName(5));
    for (int i = 0; i < 2; ++i) {
        line.add(QString::number(s.OutputFileStrCheck[i]), fileLineFieldName(6 + i));
    }
    for (int i = 0; i < 2; ++i) {
        line.add(s.OutputFileStr[i], fileLineFieldName(8 + i));
    }
    line.add(s.OutputFileName, fileLineFieldName(10));
    line.add(s.OutputDir, fileLineFieldName(11));
    // Only a setting that is not written the original way carries these, so that
    // every other record stays byte for byte what other readers of the file know.
    if (s.Encoding != OutputEncoding::Cp932 || s.LineEnding != LineEnd::CrLf) {
        line.add(encodingName(s.Encoding), fileLineFieldName(12));
        line.add(lineEndName(s.LineEnding), fileLineFieldName(13));
    }
    return line.finish();
}

} // namespace

SettingsFile::SettingsFile(QString path, UserInteraction& interaction)
    : m_path(std::move(path)), m_interaction(interaction)
{
}

bool SettingsFile::saveSettingsFile(const FormatSettings& formats, const FileSettings& files)
{
    try {
        // Build everything first, so that a refused field leaves the disk untouched.
        QByteArray content;
        try {
            for (const FormatSetting& s : formats) {
                content += formatLine(s);
            }
            content += kSectionMark;
            content += kLineEnd;
            for (const FileSetting& s : files) {
                content += fileLine(s);
            }
        } catch (const Error& e) {
            throw Error(e.number(), QStringLiteral("設定ファイル \"%1\" に保存できません: %2")
                                        .arg(m_path, e.description()));
        }

        keepOthersFile();

        // The old file is replaced only once the new one is completely on disk.
        saveReplacing(m_path, content, QStringLiteral("設定ファイル"));
        m_knownHash = QCryptographicHash::hash(content, QCryptographicHash::Sha256);
        m_knowsFile = true;
        return true;
    } catch (const Error& e) {
        m_interaction.showMessage(e.description(), MessageIcon::Stop, MessageButtons::Ok,
                                  Answer::Ok);
        return false;
    }
}

void SettingsFile::keepOthersFile()
{
    if (QFileInfo(m_path).isFile() && (m_knowsFile || m_backupPending)) {
        QFile file(m_path);
        QCryptographicHash hash(QCryptographicHash::Sha256);
        if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file)) {
            throw Error(ErrorNumber::PathFileAccess,
                        QStringLiteral("設定ファイル \"%1\" を読み込めないため、保存しません: %2")
                            .arg(m_path, file.errorString()));
        }
        const bool changed = m_knowsFile && hash.result() != m_knownHash;
        if (changed || m_backupPending) {
            const QString backup = makeBackup();
            // What is on disk now is kept; a save that fails after this makes no
            // second copy of it.
            m_knownHash = hash.result();
            m_knowsFile = true;
            m_interaction.showMessage(
                (changed ? QStringLiteral("設定ファイル \"%1\" はほかで変更されていたため、"
                                          "上書きする前の内容を \"%2\" に残しました。")
                         : QStringLiteral("設定ファイル \"%1\" は最後まで読み込めなかったため、"
                                          "上書きする前の内容を \"%2\" に残しました。"))
                    .arg(m_path, backup),
                MessageIcon::Information, MessageButtons::Ok, Answer::Ok);
        }
    }
    m_backupPending = false;
}

QString SettingsFile::makeBackup()
{
    // The first free name of <name>.bak, <name>.bak.1, <name>.bak.2, ...; an older
    // copy is never overwritten.
    constexpr int kMaxBackups = 1000;
    constexpr qint64 kBlockBytes = 64 * 1024;
    for (int n = 0; n < kMaxBackups; ++n) {
        const QString candidate =
            m_path + (n == 0 ? QStringLiteral(".bak") : QStringLiteral(".bak.%1").arg(n));
        if (QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink()) {
            continue;
        }
        const auto failure = [&](const QString& why) {
            return Error(ErrorNumber::PathFileAccess,
                         QStringLiteral("設定ファイル \"%1\" のコピーを \"%2\" に作れないため、"
                                        "保存しません: %3")
                             .arg(m_path, candidate, why));
        };
        QFile source(m_path);
        if (!source.open(QIODevice::ReadOnly)) {
            throw failure(source.errorString());
        }
        ReplacingFile copy;
        int error = copy.open(candidate);
        QByteArray block(kBlockBytes, Qt::Uninitialized);
        while (error == 0) {
            const qint64 read = source.read(block.data(), kBlockBytes);
            if (read < 0) {
                throw failure(source.errorString());
            }
            if (read == 0) {
                break;
            }
            error = copy.write(QByteArrayView(block.constData(), read));
        }
        if (error == 0) {
            error = copy.commit(ReplacingFile::Existing::Refuse);
        }
        if (error == EEXIST) {
            continue; // taken meanwhile
        }
        if (error != 0) {
            throw failure(systemErrorText(error));
        }
        // A private file keeps a private copy, as a copy by hand would.
        QFile::setPermissions(candidate, source.permissions());
        return candidate;
    }
    throw Error(ErrorNumber::PathFileAccess,
                QStringLiteral("設定ファイル \"%1\" のコピーを作れないため、保存しません: "
                               "\"%1.bak\" から \"%1.bak.%2\" まですべてあります。")
                    .arg(m_path, QString::number(kMaxBackups - 1)));
}

bool SettingsFile::loadSettingsFile(FormatSettings& formats, FileSettings& files)
{
    formats.clear();
    files.clear();
    m_knowsFile = false;
    const QFileInfo info(m_path);
    if (!info.exists()) {
        m_knowsFile = true;
        m_knownHash.clear();
        return true;
    }
    try {
        const auto readFailure = [this](const QString& why) {
            return Error(
                ErrorNumber::PathFileAccess,
                QStringLiteral("設定ファイル \"%1\" を読み込めません: %2").arg(m_path, why));
        };
        if (!info.isFile()) {
            throw readFailure(QStringLiteral("ファイルではありません。"));
        }
        QFile file(m_path);
        if (!file.open(QIODevice::ReadOnly)) {
            throw readFailure(file.errorString());
        }
        const QByteArray data = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            throw readFailure(file.errorString());
        }
        m_knownHash = QCryptographicHash::hash(data, QCryptographicHash::Sha256);
        m_knowsFile = true;

        bool fileSection = false;
        int lineNumber = 0;
        qsizetype pos = 0;
        while (pos < data.size()) {
            // A line ends at CR, at LF or at the pair CR LF, so that a file whose
            // line ends were changed on the way (by a copy or an editor) reads whole.
            ++lineNumber;
            qsizetype end = pos;
            while (end < data.size() && data[end] != '\r' && data[end] != '\n') {
                ++end;
            }
            const QByteArrayView line(data.constData() + pos, end - pos);
            pos = end < data.size() && data[end] == '\r' ? end + 1 : end;
            if (pos < data.size() && data[pos] == '\n') {
                ++pos;
            }

            if (line.size() == 1 && line[0] == kSectionMark) {
                fileSection = true;
                continue;
            }
            try {
                if (line.isEmpty()) {
                    throwLineFault(QStringLiteral("空の行です。"));
                }
                if (fileSection) {
                    files.append(readFileLine(line));
                } else {
                    formats.append(readFormatLine(line));
                }
            } catch (const Error& e) {
                throw Error(e.number(),
                            QStringLiteral("設定ファイル \"%1\" の %2 行目を読み込めません: %3")
                                .arg(m_path, QString::number(lineNumber), e.description()));
            }
        }
        return true;
    } catch (const Error& e) {
        // The lines not read are still in the file; keep them from the next save.
        m_backupPending = true;
        m_interaction.showMessage(e.description(), MessageIcon::Stop, MessageButtons::Ok,
                                  Answer::Ok);
        return false;
    }
}

} // namespace tavrune
