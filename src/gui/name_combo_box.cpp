#include "gui/name_combo_box.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavrune {

NameComboBox::NameComboBox(QWidget* parent) : m_box(new QComboBox(parent))
{
    m_box->setObjectName(QStringLiteral("cmbName"));
    m_box->setEditable(true);
    m_box->setInsertPolicy(QComboBox::NoInsert);
}

QHBoxLayout* NameComboBox::makeRow(QWidget& window, QLabel*& modified,
                                   std::function<void(int)> choose, std::function<void()> edited,
                                   std::function<void()> registerSetting,
                                   std::function<void()> deleteSetting)
{
    auto* row = new QHBoxLayout;
    QObject::connect(m_box, &QComboBox::activated, &window, std::move(choose));
    QObject::connect(m_box, &QComboBox::editTextChanged, &window, edited);
    modified = new QLabel(&window);
    modified->setObjectName(QStringLiteral("lblModified"));
    modified->setToolTip(QStringLiteral("登録されていない変更があります"));
    modified->setFixedWidth(modified->fontMetrics().horizontalAdvance(u'*') * 2);
    row->addWidget(m_box, 1);
    row->addWidget(modified);
    const std::pair<QString, std::function<void()>> buttons[] = {
        {QStringLiteral("登録(&S)"), std::move(registerSetting)},
        {QStringLiteral("削除(&D)"), std::move(deleteSetting)}};
    const char* const names[] = {"cmdAdd", "cmdDelete"};
    for (size_t i = 0; i < 2; ++i) {
        auto* button = new QPushButton(buttons[i].first, &window);
        button->setObjectName(QString::fromLatin1(names[i]));
        QObject::connect(button, &QPushButton::clicked, &window,
                         [action = buttons[i].second, edited] {
                             action();
                             edited();
                         });
        row->addWidget(button);
    }
    return row;
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
