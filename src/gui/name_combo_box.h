#pragma once

#include "commands/named_settings.h"

class QComboBox;
class QWidget;

namespace tavrune {

// The name box of both windows: an editable combo box "cmbName" whose list is the
// registered names and whose text is the name typed.
class NameComboBox : public NameBox
{
public:
    explicit NameComboBox(QWidget* parent);

    QComboBox* comboBox() const { return m_box; }

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
