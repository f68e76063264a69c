#pragma once

#include <QEvent>
#include <QLineEdit>
#include <QObject>
#include <QTimer>

namespace shoupai {

// Clicking into an amount or code field selects its whole content, so that
// typing replaces it.
class SelectAllOnFocus : public QObject
{
public:
    explicit SelectAllOnFocus(QLineEdit* field) : QObject(field)
    {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            if (auto* field = qobject_cast<QLineEdit*>(watched))
                QTimer::singleShot(0, field, &QLineEdit::selectAll);
        return QObject::eventFilter(watched, event);
    }
};

} // namespace shoupai
