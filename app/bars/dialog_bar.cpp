#include "app/bars/dialog_bar.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>

#include "app/shell/gbk_text.h"
#include "app/shell/language.h"

DialogBar::DialogBar(int resourceId, QWidget* parent)
    : QFrame(parent), resourceId_(resourceId), row_(new QHBoxLayout(this))
{
    row_->setContentsMargins(4, 2, 4, 2);
    row_->setSpacing(6);
    setProperty("resourceId", resourceId);
}

void DialogBar::registerControl(int id, QWidget* widget)
{
    controls_[id] = widget;
    widget->setProperty("controlId", id);
    widget->setObjectName(QStringLiteral("control%1").arg(id));
}

QWidget* DialogBar::control(int id) const
{
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

std::vector<int> DialogBar::controlIds() const
{
    std::vector<int> ids;
    for (const auto& [id, widget] : controls_)
        ids.push_back(id);
    return ids;
}

void DialogBar::bindText(QWidget* widget, const char* section, const char* key)
{
    bindings_.push_back({widget, section, key});
}

QWidget* DialogBar::textOf(const char* section, const char* key) const
{
    for (const Binding& b : bindings_)
        if (b.section == section && b.key == key)
            return b.widget;
    return nullptr;
}

void DialogBar::applyTexts(const LanguageTexts& texts)
{
    for (const Binding& b : bindings_)
    {
        const QString text = qtext(texts, b.section, b.key);
        if (auto* label = dynamic_cast<QLabel*>(b.widget))
            label->setText(text);
        else if (auto* box = dynamic_cast<QGroupBox*>(b.widget))
            box->setTitle(text);
        else if (auto* button = dynamic_cast<QAbstractButton*>(b.widget))
            button->setText(text);
    }
}

QGroupBox* DialogBar::group(const char* section, const char* key)
{
    auto* box = new QGroupBox(this);
    bindText(box, section, key);
    row_->addWidget(box);
    return box;
}

QLabel* DialogBar::label(QWidget* parent, const char* section, const char* key)
{
    auto* text = new QLabel(parent);
    bindText(text, section, key);
    return text;
}

void DialogBar::setItems(QComboBox* combo, const QStringList& items, int selected)
{
    combo->blockSignals(true);
    combo->clear();
    combo->addItems(items);
    combo->setCurrentIndex(selected >= 0 && selected < combo->count() ? selected : -1);
    combo->blockSignals(false);
}
