#include "gui/name_combo_box.h"

#include <QComboBox>
#include <QLineEdit>

namespace tavrune {

NameComboBox::NameComboBox(QWidget* parent) : m_box(new QComboBox(parent))
{
    m_box->setObjectName(QStringLiteral("cmbName"));
    m_box->setEditable(true);
    m_box->setInsertPolicy(QComboBox::NoInsert);
}

QString NameComboBox::nameText() const
{
    return m_box->currentText();
}

void NameComboBox::setNameText(const QString& name)
{
    m_box->setEditText(name);
    // A name longer than the box shows its beginning, which tells names apart,
    // rather than its end.
    m_box->lineEdit()->home(false);
}

void NameComboBox::focusName()
{
    m_box->setFocus();
}

void NameComboBox::appendName(const QString& name)
{
    // Adding to the list keeps the name typed.
    const QString typed = m_box->currentText();
    m_box->addItem(name);
    m_box->setEditText(typed);
}

void NameComboBox::removeName(qsizetype position)
{
    m_box->removeItem(static_cast<int>(position));
}

void NameComboBox::chooseName(qsizetype position)
{
    m_box->setCurrentIndex(static_cast<int>(position));
}

} // namespace tavrune
