#pragma once

#include "commands/named_settings.h"

#include <functional>

class QComboBox;
class QHBoxLayout;
class QLabel;
class QWidget;

namespace tavrune {

// The name box of both windows: an editable combo box "cmbName" whose list is the
// registered names and whose text is the name typed.
class NameComboBox : public NameBox
{
public:
    explicit NameComboBox(QWidget* parent);

    QComboBox* comboBox() const { return m_box; }

    // The top row of a settings window: this box, the mark of unregistered edits
    // (set into modified), 登録 and 削除. Choosing a name calls choose; editing the
    // name, registering and deleting call edited, the latter two after their own.
    QHBoxLayout* makeRow(QWidget& window, QLabel*& modified, std::function<void(int)> choose,
                         std::function<void()> edited, std::function<void()> registerSetting,
                         std::function<void()> deleteSetting);

    QString nameText() const override;
    void setNameText(const QString& name) override;
    void focusName() override;
    void appendName(const QString& name) override;
    void removeName(qsizetype position) override;
    void chooseName(qsizetype position) override;

private:
    QComboBox* m_box; // owned by its parent
};

} // namespace tavrune
