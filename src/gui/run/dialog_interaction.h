#pragma once

#include "common/user_interaction.h"

#include <QPointer>
#include <QWidget>

namespace tavrune {

// Messages and questions of the windows, with real dialogs: message boxes, the
// four-answer overwrite question and the file and directory choosers. Each is
// owned by the program's active window, else by the parent window, and is
// top-most when its owner is.
class DialogInteraction : public UserInteraction
{
public:
    // The parent may be set later, once the main window exists.
    explicit DialogInteraction(QWidget* parent = nullptr);

    void setParentWindow(QWidget* parent) { m_parent = parent; }
    QWidget* parentWindow() const { return m_parent.data(); }

    Answer showMessage(const QString& text, MessageIcon icon, MessageButtons buttons,
                       Answer defaultAnswer) override;
    Answer askYesAllNoCancel(const QString& prompt, const QString& caption) override;
    QString chooseDirectory(const QString& title, const QString& initialDirectory) override;
    QString chooseOpenFile(const QStringList& filters, const QString& startDirectory,
                           const QString& selectedFile) override;
    QString chooseSaveFile(const QStringList& filters, const QString& startDirectory,
                           const QString& selectedFile) override;
    // A password box, with "ﾊﾟｽﾜｰﾄﾞを保存する(&S)" when offerRemember.
    std::optional<PasswordAnswer> askPassword(const QString& prompt, bool offerRemember) override;

    // The name filters ("name (*.a *.b)") with each pattern also in upper case:
    // the desktop's own dialogs tell the cases apart, and BOOK.XLS is a workbook too.
    static QStringList filtersInBothCases(const QStringList& filters);

private:
    QString chooseFile(int acceptMode, const QStringList& filters, const QString& startDirectory,
                       const QString& selectedFile);

    QPointer<QWidget> m_parent;
};

} // namespace tavrune
