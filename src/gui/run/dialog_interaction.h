#pragma once

#include "common/user_interaction.h"

#include <QPointer>
#include <QWidget>

namespace tavrune {

// Messages and questions of the windows, with real dialogs owned by a parent
// window: message boxes, the four-answer overwrite question and the directory
// chooser. Every dialog is top-most when its parent window is.
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

private:
    QPointer<QWidget> m_parent;
};

} // namespace tavrune
