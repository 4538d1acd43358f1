#pragma once

#include "settings/settings_records.h"

#include <QString>

namespace tavrune {

class UserInteraction;

// The file holding every registered format setting and file setting: one line per
// record in code page 932, fields each followed by 0x01, lines ended by CR LF, a
// line of the single byte 0x02 between the format records and the file records,
// and 0x03 standing for a line break inside a template. A file record has eleven
// fields, and two more (output encoding and line end) only when they are not the
// defaults CP932 and CRLF. Reading takes CR LF, LF and a lone CR alike as line
// ends; a field it does not know, or any byte behind the last field, makes the
// line damaged, since the next save could not write it back.
//
// Failures are shown through the UserInteraction with the stop icon; nothing is
// thrown to the caller.
class SettingsFile
{
public:
    SettingsFile(QString path, UserInteraction& interaction);

    const QString& path() const { return m_path; }

    // Writes both lists whole. The file is replaced only when the whole write has
    // succeeded, so a failed save leaves the previous file as it was. A character
    // that code page 932 cannot represent, a 0x01 in any field or a line break in
    // a field other than a template makes the save fail before anything is
    // written. Lone CR or LF characters in templates are written as line breaks.
    // A file about to be replaced that this object did not write or read whole (a
    // load stopped early, or the file changed since the last load or save here)
    // is first kept as a copy beside it (<name>.bak, or .bak.1, .bak.2, ... when
    // that exists), and the message says where. Returns whether the file was
    // written.
    bool saveSettingsFile(const FormatSettings& formats, const FileSettings& files);

    // Empties both lists and fills them from the file. A missing file loads
    // nothing and is no failure. A malformed line or an unreadable file ends the
    // load with a message; the records before the failing line stay loaded.
    // Returns whether the file was read to its end (or is missing).
    bool loadSettingsFile(FormatSettings& formats, FileSettings& files);

    // Whether the next save will first keep a copy of the file, because the last
    // load could not read all of it.
    bool backupPending() const { return m_backupPending; }

private:
    void keepOthersFile();
    QString makeBackup();

    QString m_path;
    UserInteraction& m_interaction;
    bool m_backupPending = false;
    // The file as this object last read or wrote it: whether that is known, and
    // the SHA-256 of its content (empty when there was no file).
    bool m_knowsFile = false;
    QByteArray m_knownHash;
};

} // namespace tavrune
