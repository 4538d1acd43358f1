#pragma once

#include <QDialog>
#include <QString>

class QCloseEvent;
class QLabel;
class QPushButton;

namespace tavrune {

class UserInteraction;

// The progress window of a generation run, "ファイル作成中": shows the progress
// text and offers one button that asks whether to stop the run and, on Yes, sets
// the run's cancel flag. The button, Esc and the title bar's close button all ask;
// none of them closes the window, which lives until the run removes it.
// The same window, wider, shows the reading of workbook files, "ファイル読み込み中";
// there a cancel is not asked about, as stopping a reading loses nothing; and the
// reading of a database, "データベース読み込み中", alike.
class ProgressDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Kind
    {
        Run,
        Reading,
        Database,
    };

    // Modeless and owned by mainWindow, top-most exactly when mainWindow is;
    // questions go through interaction, a confirmed cancel sets cancelFlag.
    ProgressDialog(UserInteraction& interaction, bool& cancelFlag, QWidget* mainWindow,
                   Kind kind = Kind::Run);

    // A text too long for the window is shortened in its middle.
    void setProgressText(const QString& text);

Q_SIGNALS:
    // The cancel flag has just been set.
    void cancelled();

public Q_SLOTS:
    // Esc acts as the cancel button instead of closing.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void askToCancel();

    UserInteraction& m_interaction;
    bool& m_cancelFlag;
    Kind m_kind;
    QLabel* m_message = nullptr;
    QPushButton* m_cancel = nullptr;
    bool m_asking = false;
};

} // namespace tavrune
