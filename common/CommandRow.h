#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPushButton>
#include <QString>

#include <type_traits>

class QDialog;
class QHBoxLayout;

namespace shoupai {

// One command button of a screen: its object name, its caption (also its
// accessible name) and the slot a click runs.
template <class Screen> struct Command
{
    QString objectName;
    QString caption;
    void (Screen::*slot)() = nullptr;
};

// A row of command buttons. The row's stretch keeps the buttons together: on
// the left for a screen's toolbar, on the right for a form's closing buttons.
// The layout is handed to the screen's layout, which then owns it.
class CommandRow
{
public:
    enum class Align
    {
        Left,  // the buttons, then the stretch
        Right, // the stretch, then the buttons
        Fill   // no stretch: the buttons share the width
    };

    explicit CommandRow(QWidget* parent, Align align = Align::Left);

    QHBoxLayout* layout() const { return m_layout; }
    // The button of that object name; null when the row has none.
    QPushButton* button(const QString& objectName) const { return m_buttons.value(objectName); }
    QList<QPushButton*> buttons() const { return m_order; }

    // A button whose caption is also its accessible name, not yet connected.
    QPushButton* add(const QString& objectName, const QString& caption);

    template <class Screen>
    void add(Screen* screen, const std::type_identity_t<QList<Command<Screen>>>& commands)
    {
        for (const Command<Screen>& command : commands) {
            QPushButton* b = add(command.objectName, command.caption);
            if (command.slot)
                QObject::connect(b, &QPushButton::clicked, screen, command.slot);
        }
    }

    // "退出", which closes a list screen.
    QPushButton* addQuit(QDialog* screen);

private:
    QWidget* m_parent;
    QHBoxLayout* m_layout;
    Align m_align;
    QHash<QString, QPushButton*> m_buttons;
    QList<QPushButton*> m_order;
};

} // namespace shoupai
