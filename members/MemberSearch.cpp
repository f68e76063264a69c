#include "members/MemberSearch.h"

#include "platform/Schema.h"
#include "platform/TypedSearch.h"

namespace shoupai::membersearch {

namespace {

const QString Members = QStringLiteral("会员管理");
const QString Recharges = QStringLiteral("会员充值");

const ColumnDefinition* findColumn(const QString& table, const QString& column)
{
    const TableDefinition* definition = Schema::table(table);
    if (!definition)
        return nullptr;
    for (const ColumnDefinition& c : definition->columns) {
        if (c.name.compare(column.trimmed(), Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

MemberStatement search(const Dialect& dialect, const QString& table, const QString& what,
                       const QString& selected, const QString& column, const QString& value,
                       const QStringList& excluded)
{
    const QString text = value.trimmed();
    const TypedSearch typed = TypedSearch::build(dialect, table, column, text, excluded);
    MemberStatement statement;
    switch (typed.outcome) {
    case TypedSearch::Outcome::UnknownColumn:
        statement.refusal =
            QStringLiteral("\"%1\"不是%2的列名,请重新选择要查询的列!").arg(column.trimmed(), what);
        return statement;
    case TypedSearch::Outcome::BadValue:
        statement.refusal = typed.message;
        return statement;
    case TypedSearch::Outcome::Ready:
        break;
    }
    QString condition = typed.condition;
    QVariantList parameters = typed.parameters;
    const ColumnDefinition* found = findColumn(table, column);
    if (found && (found->kind == ColumnKind::Text || found->kind == ColumnKind::Memo)) {
        // A card number or a name is looked up whole: 张 is not 张三.
        condition = dialect.quote(found->name) + QStringLiteral(" = ?");
        parameters = {text};
    }
    statement.sql = QStringLiteral("select %1 from %2 where %3").arg(selected, table, condition);
    statement.parameters = parameters;
    return statement;
}

QString memberColumns()
{
    return listedColumns().join(QStringLiteral(", "));
}

} // namespace

QStringList listedColumns()
{
    return {QStringLiteral("会员卡号"), QStringLiteral("会员姓名"), QStringLiteral("会员类型"),
            QStringLiteral("会员性别"), QStringLiteral("卡内金额"), QStringLiteral("当前积分"),
            QStringLiteral("当前状态"), QStringLiteral("出生日期"), QStringLiteral("联系电话"),
            QStringLiteral("备注"),     QStringLiteral("登记日期")};
}

MemberStatement allMembers()
{
    return {QStringLiteral("select %1 from 会员管理").arg(memberColumns()), {}, {}};
}

MemberStatement members(const Dialect& dialect, const QString& column, const QString& value)
{
    return search(dialect, Members, QStringLiteral("会员资料"), memberColumns(), column, value,
                  {QStringLiteral("密码")});
}

MemberStatement allRecharges()
{
    return {QStringLiteral("select * from 会员充值"), {}, {}};
}

MemberStatement recharges(const Dialect& dialect, const QString& column, const QString& value)
{
    return search(dialect, Recharges, QStringLiteral("充值记录"), QStringLiteral("*"), column,
                  value, {});
}

} // namespace shoupai::membersearch
