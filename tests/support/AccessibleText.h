#pragma once

#include <QAccessible>
#include <QAccessibleInterface>
#include <QStringList>
#include <QWidget>

namespace shoupai::test {

// What a screen reader hears of a widget: its name, its value, and the names
// of the labels that name it.
struct Heard
{
    QString name;
    QString value;
    QString description;
    QStringList labels;
};

inline Heard heard(QWidget* widget)
{
    Heard result;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    if (!iface)
        return result;
    result.name = iface->text(QAccessible::Name);
    result.value = iface->text(QAccessible::Value);
    result.description = iface->text(QAccessible::Description);
    const auto relations = iface->relations(QAccessible::Label);
    for (const auto& [label, relation] : relations)
        result.labels << label->text(QAccessible::Name);
    return result;
}

} // namespace shoupai::test
