#pragma once

#include "settings/setting_fields.h"
#include "settings/settings_records.h"

#include <QHash>
#include <QWidget>

class QComboBox;
class QLineEdit;

namespace tavrune {

class WindowState;

// The format settings editor "ﾌｫｰﾏｯﾄ設定": its fields are the format in force, read
// by every run and every fill of the sheet list whether the window is shown or
// hidden. It lives as long as the program; closing it only hides it.
class FormatEditorWindow : public QWidget
{
    Q_OBJECT

public:
    // formats is the list of registered formats that the name box shows; the
    // position chosen last is written to windowState.
    FormatEditorWindow(const FormatSettings& formats, WindowState& windowState,
                       QWidget* parent = nullptr);

    // The fields as typed; RowStart is left 0, its text is rowStartText().
    FormatSetting fields() const;
    QString rowStartText() const;
    // Shows a record in the fields (the start row as its number).
    void showRecord(const FormatSetting& record);

    // Fills the name box from the list again.
    void refreshNames();
    // Chooses the registered format at position: shows it and remembers the
    // position. Returns false, changing nothing, when there is no such position.
    bool choosePosition(qsizetype position);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLineEdit* field(FormatField which) const { return m_fields.value(which); }

    const FormatSettings& m_formats;
    WindowState& m_windowState;
    QComboBox* m_name = nullptr;
    QHash<FormatField, QLineEdit*> m_fields;
};

} // namespace tavrune
