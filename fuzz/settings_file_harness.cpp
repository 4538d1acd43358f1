#include "common/user_interaction.h"
#include "fuzz_support.h"
#include "harnesses.h"
#include "settings/settings_file.h"

namespace tavrune::fuzz {

namespace {

// Answers every message with its default button and shows nothing.
class SilentInteraction : public UserInteraction
{
public:
    Answer showMessage(const QString&, MessageIcon, MessageButtons, Answer defaultAnswer) override
    {
        return defaultAnswer;
    }
    Answer askYesAllNoCancel(const QString&, const QString&) override { return Answer::Cancel; }
    QString chooseDirectory(const QString&, const QString&) override { return {}; }
    QString chooseOpenFile(const QStringList&, const QString&, const QString&) override
    {
        return {};
    }
};

} // namespace

int fuzzSettingsFile(const uint8_t* data, size_t size)
{
    SilentInteraction interaction;
    SettingsFile file(writeScratchFile(data, size, ".dat"), interaction);
    FormatSettings formats;
    FileSettings files;
    file.loadSettingsFile(formats, files);
    // Whatever was loaded must be writable again (or refused with a message).
    SettingsFile copy(writeScratchFile(nullptr, 0, ".copy.dat"), interaction);
    if (copy.saveSettingsFile(formats, files)) {
        FormatSettings formatsAgain;
        FileSettings filesAgain;
        copy.loadSettingsFile(formatsAgain, filesAgain);
    }
    return 0;
}

} // namespace tavrune::fuzz
