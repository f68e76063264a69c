#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

namespace shoupai {

// The browse/edit modes of the small list-and-edit-group screens (grades, goods
// types): while browsing, the list commands are enabled and the edit group and
// "保存"/"取消" are not; while adding or changing, the other way round.
class EditModes
{
public:
    enum class Mode
    {
        Browsing,
        Adding,
        Changing
    };

    void setBrowseWidgets(const QList<QWidget*>& widgets) { assign(m_browse, widgets); }
    void setEditWidgets(const QList<QWidget*>& widgets) { assign(m_edit, widgets); }

    Mode mode() const { return m_mode; }
    bool isEditing() const { return m_mode != Mode::Browsing; }

    void enter(Mode mode)
    {
        m_mode = mode;
        for (QWidget* widget : std::as_const(m_browse))
            if (widget)
                widget->setEnabled(!isEditing());
        for (QWidget* widget : std::as_const(m_edit))
            if (widget)
                widget->setEnabled(isEditing());
    }

private:
    static void assign(QList<QPointer<QWidget>>& target, const QList<QWidget*>& widgets)
    {
        target.clear();
        for (QWidget* widget : widgets)
            target.append(widget);
    }

    Mode m_mode = Mode::Browsing;
    QList<QPointer<QWidget>> m_browse;
    QList<QPointer<QWidget>> m_edit;
};

} // namespace shoupai
