#include "platform/Schema.h"

#include "platform/SampleVenue.h"
#include "platform/SchemaUpgrades.h"

#include <QHash>

#include <algorithm>

namespace shoupai::Schema {

namespace {

using K = ColumnKind;

// One index. Unique ones carry the rules the screens rely on (a duplicate insert
// fails in the database); the others serve the lookups the screens make.
struct IndexDefinition
{
    QString table;
    QStringList columns;
    bool unique = false;
    bool lowerCase = false; // compares lower(column): user names are matched without case
};

QList<TableDefinition> makeTables()
{
    return {
        // Premises
        {QStringLiteral("手牌管理"),
         {{QStringLiteral("手牌号码"), K::Text},
          {QStringLiteral("所属包厢"), K::Text},
          {QStringLiteral("手牌状态"), K::Text},
          {QStringLiteral("number"), K::Integer},
          {QStringLiteral("所在位置"), K::Text},
          {QStringLiteral("包厢性质"), K::Text}}},
        {QStringLiteral("包厢类型"),
         {{QStringLiteral("包厢类型"), K::Text},
          {QStringLiteral("包厢性质"), K::Text},
          {QStringLiteral("计费方式"), K::Text},
          {QStringLiteral("门票价格"), K::Money},
          {QStringLiteral("容纳人数"), K::Number},
          {QStringLiteral("初始费用"), K::Money}}},
        {QStringLiteral("计费设置"), {{QStringLiteral("计费方式"), K::Text}}},

        // Billing
        {QStringLiteral("手牌开单"),
         {{QStringLiteral("手牌号码"), K::Text},
          {QStringLiteral("包厢类型"), K::Text},
          {QStringLiteral("包厢性质"), K::Text},
          {QStringLiteral("顾客姓名"), K::Text},
          {QStringLiteral("押金金额"), K::Money},
          {QStringLiteral("合计金额"), K::Money},
          {QStringLiteral("进店时间"), K::DateTime},
          {QStringLiteral("备注"), K::Memo},
          {QStringLiteral("主手牌号"), K::Text}}},
        {QStringLiteral("手牌消费"),
         {{QStringLiteral("ID"), K::AutoNumber},
          {QStringLiteral("手牌号码"), K::Text},
          {QStringLiteral("商品名"), K::Text},
          {QStringLiteral("商品类型"), K::Text},
          {QStringLiteral("单价"), K::Money},
          {QStringLiteral("实际单价"), K::Money},
          {QStringLiteral("数量"), K::Integer},
          {QStringLiteral("折扣"), K::Number},
          {QStringLiteral("合计"), K::Money},
          {QStringLiteral("消费时间"), K::DateTime},
          {QStringLiteral("是否计时"), K::Integer},
          {QStringLiteral("状态"), K::Text},
          {QStringLiteral("员工编号"), K::Text},
          {QStringLiteral("员工姓名"), K::Text},
          {QStringLiteral("提成金额"), K::Money},
          {QStringLiteral("营业员"), K::Text},
          {QStringLiteral("主手牌号"), K::Text},
          {QStringLiteral("参与打折"), K::Text}}},
        {QStringLiteral("结帐管理"),
         {{QStringLiteral("id"), K::AutoNumber},
          {QStringLiteral("单据号"), K::Text},
          {QStringLiteral("手牌号码"), K::Text},
          {QStringLiteral("进店时间"), K::DateTime},
          {QStringLiteral("离店时间"), K::DateTime},
          {QStringLiteral("消费金额"), K::Money},
          {QStringLiteral("实收金额"), K::Money},
          {QStringLiteral("卡内扣除"), K::Money},
          {QStringLiteral("结帐方式"), K::Text},
          {QStringLiteral("会员卡号"), K::Text},
          {QStringLiteral("状态"), K::Text},
          {QStringLiteral("结帐时间"), K::DateTime},
          {QStringLiteral("顾客姓名"), K::Text},
          {QStringLiteral("备注"), K::Memo},
          {QStringLiteral("营业员"), K::Text},
          {QStringLiteral("折扣"), K::Money},
          {QStringLiteral("会员姓名"), K::Text}}},
        {QStringLiteral("结帐明细"),
         {{QStringLiteral("ID"), K::AutoNumber},
          {QStringLiteral("单据号"), K::Text},
          {QStringLiteral("手牌号码"), K::Text},
          {QStringLiteral("会员卡号"), K::Text},
          {QStringLiteral("顾客姓名"), K::Text},
          {QStringLiteral("商品名"), K::Text},
          {QStringLiteral("商品类型"), K::Text},
          {QStringLiteral("单价"), K::Money},
          {QStringLiteral("数量"), K::Integer},
          {QStringLiteral("合计"), K::Money},
          {QStringLiteral("消费时间"), K::DateTime},
          {QStringLiteral("是否计时"), K::Integer},
          {QStringLiteral("员工编号"), K::Text},
          {QStringLiteral("员工姓名"), K::Text},
          {QStringLiteral("提成金额"), K::Money},
          {QStringLiteral("tcyf"), K::Text},
          {QStringLiteral("营业员"), K::Text},
          {QStringLiteral("状态"), K::Text}}},
        {QStringLiteral("单据号"), {{QStringLiteral("单据号"), K::Text}}},

        // Members
        {QStringLiteral("会员管理"),
         {{QStringLiteral("会员卡号"), K::Text},
          {QStringLiteral("会员姓名"), K::Text},
          {QStringLiteral("密码"), K::Text},
          {QStringLiteral("当前状态"), K::Text},
          {QStringLiteral("卡内金额"), K::Money},
          {QStringLiteral("当前积分"), K::Number},
          {QStringLiteral("会员性别"), K::Text},
          {QStringLiteral("会员类型"), K::Text},
          {QStringLiteral("出生日期"), K::DateTime},
          {QStringLiteral("联系电话"), K::Text},
          {QStringLiteral("备注"), K::Memo},
          {QStringLiteral("登记日期"), K::DateTime}}},
        {QStringLiteral("会员类型"),
         {{QStringLiteral("id"), K::AutoNumber},
          {QStringLiteral("类型名称"), K::Text},
          {QStringLiteral("打折率"), K::Number},
          {QStringLiteral("初始积分"), K::Number}}},
        {QStringLiteral("会员充值"),
         {{QStringLiteral("id"), K::AutoNumber},
          {QStringLiteral("会员卡号"), K::Text},
          {QStringLiteral("会员姓名"), K::Text},
          {QStringLiteral("会员类型"), K::Text},
          {QStringLiteral("充值金额"), K::Money},
          {QStringLiteral("奖励金额"), K::Money},
          {QStringLiteral("充值日期"), K::DateTime},
          {QStringLiteral("备注"), K::Memo},
          {QStringLiteral("营业员"), K::Text}}},

        // Catalogue and stock
        {QStringLiteral("商品库"),
         {{QStringLiteral("ID"), K::AutoNumber},
          {QStringLiteral("编号"), K::Text},
          {QStringLiteral("商品名"), K::Text},
          {QStringLiteral("拼音"), K::Text},
          {QStringLiteral("单价"), K::Money},
          {QStringLiteral("提成金额"), K::Money},
          {QStringLiteral("商品类型"), K::Text},
          {QStringLiteral("库存"), K::Integer},
          {QStringLiteral("是否需要服务"), K::Text},
          {QStringLiteral("计费方式"), K::Text},
          {QStringLiteral("是否启动计时"), K::Integer}}},
        {QStringLiteral("商品类型"),
         {{QStringLiteral("名称"), K::Text},
          {QStringLiteral("库存"), K::Boolean},
          {QStringLiteral("是否需要服务"), K::Boolean},
          {QStringLiteral("参与打折"), K::Text}}},
        {QStringLiteral("进货表"),
         {{QStringLiteral("id"), K::AutoNumber},
          {QStringLiteral("商品名"), K::Text},
          {QStringLiteral("拼音"), K::Text},
          {QStringLiteral("进货单价"), K::Money},
          {QStringLiteral("数量"), K::Number},
          {QStringLiteral("总进价"), K::Money},
          {QStringLiteral("日期"), K::DateTime},
          {QStringLiteral("备注"), K::Memo},
          {QStringLiteral("管理员"), K::Text}}},

        // Staff
        {QStringLiteral("员工管理"),
         {{QStringLiteral("员工编号"), K::Text},
          {QStringLiteral("员工姓名"), K::Text},
          {QStringLiteral("性别"), K::Text},
          {QStringLiteral("员工等级"), K::Text},
          {QStringLiteral("联系电话"), K::Text},
          {QStringLiteral("证件号码"), K::Text},
          {QStringLiteral("备注"), K::Memo},
          {QStringLiteral("服务包厢"), K::Text},
          {QStringLiteral("包厢性质"), K::Text},
          {QStringLiteral("工资标准"), K::Money},
          {QStringLiteral("提成"), K::Money}}},
        {QStringLiteral("员工等级"),
         {{QStringLiteral("等级编号"), K::AutoNumber},
          {QStringLiteral("等级名称"), K::Text},
          {QStringLiteral("工资"), K::Money}}},
        {QStringLiteral("员工工资表"),
         {{QStringLiteral("id"), K::AutoNumber},
          {QStringLiteral("员工编号"), K::Text},
          {QStringLiteral("员工姓名"), K::Text},
          {QStringLiteral("员工等级"), K::Text},
          {QStringLiteral("日期"), K::DateTime},
          {QStringLiteral("工资"), K::Money},
          {QStringLiteral("提成"), K::Money},
          {QStringLiteral("合计"), K::Money},
          {QStringLiteral("备注"), K::Memo},
          {QStringLiteral("登记人"), K::Text}}},

        // Administration
        [] {
            TableDefinition admins{
                QStringLiteral("管理员"),
                {{QStringLiteral("用户名"), K::Text}, {QStringLiteral("密码"), K::Text}}};
            for (const QString& flag : permissionColumns())
                admins.columns.append({flag, K::Boolean});
            return admins;
        }(),
        {QStringLiteral("日志"),
         {{QStringLiteral("事件"), K::Text},
          {QStringLiteral("日期"), K::DateTime},
          {QStringLiteral("管理员"), K::Text},
          {QStringLiteral("说明"), K::Text}}},
        {QStringLiteral("sysinfo"),
         {{QStringLiteral("name"), K::Text},
          {QStringLiteral("tel"), K::Text},
          {QStringLiteral("add"), K::Text}}},
    };
}

const QList<IndexDefinition>& indexes()
{
    static const QList<IndexDefinition> list = {
        {QStringLiteral("手牌管理"), {QStringLiteral("手牌号码")}, true},
        {QStringLiteral("商品类型"), {QStringLiteral("名称")}, true},
        {QStringLiteral("员工等级"), {QStringLiteral("等级名称")}, true},
        {QStringLiteral("会员管理"), {QStringLiteral("会员卡号")}, true},
        {QStringLiteral("员工管理"), {QStringLiteral("员工编号")}, true},
        {QStringLiteral("管理员"), {QStringLiteral("用户名")}, true, true},

        {QStringLiteral("手牌开单"), {QStringLiteral("主手牌号")}},
        {QStringLiteral("手牌开单"), {QStringLiteral("手牌号码")}},
        {QStringLiteral("手牌消费"), {QStringLiteral("主手牌号")}},
        {QStringLiteral("手牌消费"), {QStringLiteral("手牌号码")}},
        {QStringLiteral("结帐管理"), {QStringLiteral("结帐时间")}},
        {QStringLiteral("结帐管理"), {QStringLiteral("单据号")}},
        {QStringLiteral("结帐明细"), {QStringLiteral("单据号")}},
        {QStringLiteral("结帐明细"), {QStringLiteral("消费时间")}},
        {QStringLiteral("结帐明细"), {QStringLiteral("员工编号")}},
        {QStringLiteral("手牌管理"), {QStringLiteral("所属包厢")}},
        {QStringLiteral("手牌管理"), {QStringLiteral("number")}},
        {QStringLiteral("商品库"), {QStringLiteral("编号")}},
        {QStringLiteral("商品库"), {QStringLiteral("商品名")}},
        {QStringLiteral("会员充值"), {QStringLiteral("充值日期")}},
        {QStringLiteral("会员充值"), {QStringLiteral("会员卡号")}},
        {QStringLiteral("进货表"), {QStringLiteral("日期")}},
    };
    return list;
}

QString lookupKey(const QString& table, const QString& column)
{
    // Only the Latin names have case; the Chinese ones are unaffected by toLower.
    return table.toLower() + u'\n' + column.toLower();
}

QString columnSql(const Dialect& dialect, const QString& table, const ColumnDefinition& column)
{
    QString type;
    switch (column.kind) {
    case K::Text:
        type = dialect.textType();
        break;
    case K::Memo:
        type = dialect.memoType();
        break;
    case K::Integer:
        type = dialect.integerType();
        break;
    case K::Number:
        type = dialect.numberType();
        break;
    case K::Money:
        type = dialect.moneyType();
        break;
    case K::DateTime:
        type = dialect.dateTimeType();
        break;
    case K::Boolean:
        // A flag is either set or not: a NULL would make the screens' "= true" tests
        // and the login's reading of the permissions ambiguous.
        type =
            dialect.booleanType() + QStringLiteral(" NOT NULL DEFAULT ") + dialect.falseLiteral();
        break;
    case K::AutoNumber:
        type = dialect.autoNumberKey();
        break;
    }
    if (table == u"会员管理" && column.name == u"登记日期")
        type += QStringLiteral(" DEFAULT ") + dialect.currentDateDefault();
    return dialect.quote(column.name) + u' ' + type;
}

QString indexSql(const Dialect& dialect, const IndexDefinition& index)
{
    QStringList parts;
    for (const QString& column : index.columns) {
        const QString quoted = dialect.quote(column);
        parts << (index.lowerCase ? QStringLiteral("lower(%1)").arg(quoted) : quoted);
    }
    const QString name = (index.unique ? QStringLiteral("uq_") : QStringLiteral("ix_")) +
                         index.table + u'_' + index.columns.join(u'_');
    return QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
        .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), dialect.quote(name),
             dialect.quote(index.table), parts.join(QStringLiteral(", ")));
}

void createTables(Database& database)
{
    const Dialect& dialect = database.dialect();
    for (const TableDefinition& table : tables()) {
        QStringList columns;
        for (const ColumnDefinition& column : table.columns)
            columns << columnSql(dialect, table.name, column);
        database.exec(QStringLiteral("CREATE TABLE %1 (%2)")
                          .arg(dialect.quote(table.name), columns.join(QStringLiteral(", "))));
    }
    for (const IndexDefinition& index : indexes())
        database.exec(indexSql(dialect, index));
    // The steps are the one description of what came after the first version: a new
    // database runs them here and starts at the latest version.
    for (const UpgradeStep& step : upgradeSteps())
        step.apply(database);

    database.exec(QStringLiteral("CREATE TABLE %1 (%2 %3 NOT NULL)")
                      .arg(dialect.quote(versionTable()), dialect.quote(QStringLiteral("version")),
                           dialect.integerType()));
    database.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (?)")
                      .arg(dialect.quote(versionTable()), dialect.quote(QStringLiteral("version"))),
                  {QVariant::fromValue<qlonglong>(currentVersion())});
}

} // namespace

const QStringList& permissionColumns()
{
    static const QStringList columns = {
        QStringLiteral("收银结算"),     QStringLiteral("消费管理"), QStringLiteral("来宾登记"),
        QStringLiteral("营业查询"),     QStringLiteral("会员管理"), QStringLiteral("数据初始化"),
        QStringLiteral("管理员设置"),   QStringLiteral("会员开户"), QStringLiteral("会员充值"),
        QStringLiteral("退回库存"),     QStringLiteral("商品管理"), QStringLiteral("商品类型"),
        QStringLiteral("手牌管理"),     QStringLiteral("员工管理"), QStringLiteral("数据备份"),
        QStringLiteral("数据恢复"),     QStringLiteral("免单"),     QStringLiteral("撤单"),
        QStringLiteral("会员修改"),     QStringLiteral("会员删除"), QStringLiteral("营业项目修改"),
        QStringLiteral("营业项目删除"), QStringLiteral("商品进货"),
    };
    return columns;
}

int currentVersion()
{
    int version = baseVersion;
    for (const UpgradeStep& step : upgradeSteps())
        version = std::max(version, step.version);
    return version;
}

QString versionTable()
{
    return QStringLiteral("shoupai_schema");
}

const QList<TableDefinition>& tables()
{
    static const QList<TableDefinition> list = makeTables();
    return list;
}

const TableDefinition* table(const QString& name)
{
    for (const TableDefinition& definition : tables()) {
        if (definition.name.compare(name, Qt::CaseInsensitive) == 0)
            return &definition;
    }
    return nullptr;
}

std::optional<ColumnKind> kindOf(const QString& table, const QString& column)
{
    static const QHash<QString, ColumnKind> kinds = [] {
        QHash<QString, ColumnKind> map;
        for (const TableDefinition& definition : tables()) {
            for (const ColumnDefinition& c : definition.columns)
                map.insert(lookupKey(definition.name, c.name), c.kind);
        }
        return map;
    }();
    const auto found = kinds.constFind(lookupKey(table.trimmed(), column.trimmed()));
    if (found == kinds.constEnd())
        return std::nullopt;
    return *found;
}

int storedVersion(const Database& database)
{
    if (!database.tableExists(versionTable()))
        return 0;
    const QVariant value =
        database.scalar(QStringLiteral("SELECT max(%1) FROM %2")
                            .arg(database.dialect().quote(QStringLiteral("version")),
                                 database.dialect().quote(versionTable())));
    return value.isNull() ? 0 : value.toInt();
}

void prepare(Database& database, bool isNewFile)
{
    // A database that already has its administrators is the venue's own: it is used
    // exactly as it is, even when it predates columns this program knows of. A new
    // file has no tables by definition, so the same test decides for it.
    Q_UNUSED(isNewFile);
    if (database.tableExists(QStringLiteral("管理员")))
        return;
    // Tables and seed together: a failure half-way must not leave a database that
    // has tables but no administrator to log in with.
    Transaction transaction(database);
    createTables(database);
    seedSampleVenue(database);
    transaction.commit();
}

void create(Database& database)
{
    Transaction transaction(database);
    createTables(database);
    transaction.commit();
}

void seed(Database& database)
{
    Transaction transaction(database);
    seedSampleVenue(database);
    transaction.commit();
}

} // namespace shoupai::Schema
