#pragma once

#include "common/FormParts.h"

#include <QDate>
#include <QDateEdit>
#include <QWidget>

namespace shoupai::formparts {

// A date picker in the venue's "yyyy-MM-dd" with a calendar popup.
inline QDateEdit* datePicker(const QString& objectName, const QString& captionText,
                             const QDate& date, QWidget* parent)
{
    auto* edit = new QDateEdit(date, parent);
    edit->setObjectName(objectName);
    edit->setAccessibleName(captionText);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}

} // namespace shoupai::formparts
