#include "generation/file_output_target.h"

#include "common/error.h"
#include "generation/output_files.h"

#include <QFileInfo>

namespace tavrune {

namespace {

// message holds %1 for the path; why is the system's reason.
[[noreturn]] void fail(const QString& message, const QString& path, const QString& why)
{
    throw Error(ErrorNumber::PathFileAccess, message.arg(path) + QStringLiteral(": ") + why);
}

} // namespace

void FileOutputTarget::EnsureOutputDir(const QString& dir, UserInteraction& interaction)
{
    tavrune::EnsureOutputDir(dir, interaction);
}

bool FileOutputTarget::OutputFileExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

void FileOutputTarget::DeleteOutputFile(const QString& path)
{
    QFile file(path);
    if (!file.remove()) {
        fail(QStringLiteral("ファイル \"%1\" を削除できません"), path, file.errorString());
    }
}

void FileOutputTarget::OpenOutputFile(const QString& path)
{
    CloseOutputFile();
    m_file.setFileName(path);
    if (QFileInfo(path).isDir() || !m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        fail(QStringLiteral("ファイル \"%1\" を開けません"), path,
             QFileInfo(path).isDir() ? QStringLiteral("同じ名前のディレクトリがあります")
                                     : m_file.errorString());
    }
}

void FileOutputTarget::WriteOutputLine(const QString& text)
{
    const QByteArray bytes = encodeOutputLine(text, m_file.fileName());
    if (m_file.write(bytes) != bytes.size()) {
        fail(QStringLiteral("ファイル \"%1\" に書き込めません"), m_file.fileName(),
             m_file.errorString());
    }
}

void FileOutputTarget::CloseOutputFile()
{
    if (!m_file.isOpen()) {
        return;
    }
    const bool flushed = m_file.flush();
    const QString why = m_file.errorString();
    m_file.close();
    if (!flushed) {
        fail(QStringLiteral("ファイル \"%1\" に書き込めません"), m_file.fileName(), why);
    }
}

} // namespace tavrune
