#include "queries/LineSearch.h"

#include "platform/DayPeriod.h"
#include "platform/Dialect.h"
#include "platform/TypedSearch.h"

#include <QStringList>

namespace shoupai {

LineSearch::Built LineSearch::build(const Dialect& dialect) const
{
    Built built;
    QStringList conditions;
    const QString text = value.trimmed();
    if (!text.isEmpty()) {
        const QString name = column.trimmed();
        const TypedSearch search =
            TypedSearch::build(dialect, QStringLiteral("结帐明细"), name, text);
        if (search.outcome == TypedSearch::Outcome::UnknownColumn) {
            built.outcome = Outcome::UnknownColumn;
            built.message =
                QStringLiteral("\"%1\"不是消费明细的列名,请重新选择要查询的列!").arg(name);
            return built;
        }
        if (search.outcome == TypedSearch::Outcome::BadValue) {
            built.outcome = Outcome::BadValue;
            built.message = search.message;
            return built;
        }
        conditions << search.condition;
        built.statement.parameters << search.parameters;
    }
    if (timed) {
        // The span the operator picked, from its first to its last second.
        if (from > to) {
            built.outcome = Outcome::FromAfterTo;
            built.message = DayPeriod::refusal();
            return built;
        }
        conditions << QStringLiteral("消费时间 >= ? and 消费时间 <= ?");
        built.statement.parameters << from << to;
    }
    const QString status = state.trimmed();
    if (!status.isEmpty() && status != u"全部") {
        conditions << QStringLiteral("状态 = ?");
        built.statement.parameters << status;
    }
    built.statement.sql = QStringLiteral("select * from 结帐明细");
    if (!conditions.isEmpty())
        built.statement.sql += QStringLiteral(" where ") + conditions.join(QStringLiteral(" and "));
    return built;
}

} // namespace shoupai
