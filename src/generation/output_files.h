#pragma once

#include "common/user_interaction.h"
#include "settings/settings_records.h"

#include <QByteArray>
#include <QString>
#include <optional>

namespace tavrune {

// Spaces removed at both ends, then every trailing "/" (and the spaces that come
// to the end with it). A text of slashes only stays "/", the root.
QString trimPathSeparators(const QString& dir);

// Spaces removed at both ends and one "/" appended unless the text ends with one.
QString addPathSeparator(const QString& dir);

// The name of a table's file in one-file-per-table mode: the title with the added
// strings whose boxes are checked.
QString tableFileName(const FileSetting& file, const QString& title);

// Makes sure the output directory exists. A text that is not an absolute path
// fails with error 75 before anything is asked or created. When the directory is
// missing the user is asked once, for the whole path; Cancel raises error -1.
// Then every missing level is created in order; a level that cannot be created
// raises an error naming it and the system's reason, leaving the levels made
// before it.
void ensureOutputDir(const QString& dir, UserInteraction& interaction);

// A line of output as the files receive it: in the encoding, then the line end.
// Nothing when the text holds a character the encoding cannot represent (for
// UTF-8 only a lone surrogate); that character goes to *unrepresentable.
std::optional<QByteArray> encodeOutputLine(const QString& text, OutputEncoding encoding,
                                           LineEnd lineEnd, char32_t* unrepresentable);

// What a file in the encoding begins with: the UTF-8 byte order mark, or nothing.
QByteArray byteOrderMark(OutputEncoding encoding);

// The encoding as messages name it.
QString encodingDescription(OutputEncoding encoding);

} // namespace tavrune
