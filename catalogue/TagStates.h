#pragma once

#include <QString>
#include <QStringList>

namespace shoupai::tagstates {

inline const QString Free = QStringLiteral("可用");
inline const QString Occupied = QStringLiteral("占用");
inline const QString Reserved = QStringLiteral("预定");
inline const QString OutOfUse = QStringLiteral("停用");

// The states an operator may give a tag; only opening a bill makes one "占用".
inline QStringList settable()
{
    return {Free, OutOfUse, Reserved};
}

inline const QString OccupiedMessage = QStringLiteral("该手牌处于占用状态，请先结帐！");

// Appended to a statement on 手牌管理: the tag is neither marked occupied nor
// held by an open bill. Checked inside the statement that writes, so that a
// bill opened at another workstation meanwhile is never cut off from its tag.
// Takes one bound value: the occupied state.
inline QString notOccupiedCondition()
{
    return QStringLiteral(" and coalesce(手牌状态, '') <> ? and not exists (select 1 from 手牌开单 "
                          "where 手牌开单.手牌号码 = 手牌管理.手牌号码)");
}

} // namespace shoupai::tagstates
