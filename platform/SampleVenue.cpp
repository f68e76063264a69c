#include "platform/SampleVenue.h"

#include "platform/PasswordHash.h"
#include "platform/Schema.h"

namespace shoupai {

namespace {

QVariant money(qint64 units)
{
    return QVariant::fromValue(Money::fromUnits(units));
}

QVariant whole(qint64 value)
{
    return QVariant::fromValue<qlonglong>(value);
}

// Number columns (rates, points, capacities) are the engine's floating type.
QVariant number(double value)
{
    return value;
}

void insertRows(Database& database, const QString& table, const QStringList& columns,
                const QList<QVariantList>& rows)
{
    const Dialect& dialect = database.dialect();
    QStringList quoted;
    QStringList marks;
    for (const QString& column : columns) {
        quoted << dialect.quote(column);
        marks << QStringLiteral("?");
    }
    const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(dialect.quote(table), quoted.join(QStringLiteral(", ")),
                                 marks.join(QStringLiteral(", ")));
    for (const QVariantList& row : rows)
        database.exec(sql, row);
}

void seedCounterAndShop(Database& database)
{
    insertRows(database, QStringLiteral("单据号"), {QStringLiteral("单据号")},
               {{QStringLiteral("0")}});
    insertRows(database, QStringLiteral("sysinfo"),
               {QStringLiteral("name"), QStringLiteral("tel"), QStringLiteral("add")},
               {{QStringLiteral("清泉沐浴休闲会所"), QStringLiteral("0571-86651234"),
                 QStringLiteral("杭州市西湖区文二路128号")}});
}

void seedAdministrator(Database& database)
{
    QStringList columns = {QStringLiteral("用户名"), QStringLiteral("密码")};
    QVariantList row = {QStringLiteral("超级管理员"), passwordhash::hash(QStringLiteral("1"))};
    for (const QString& flag : Schema::permissionColumns()) {
        columns << flag;
        row << true;
    }
    insertRows(database, QStringLiteral("管理员"), columns, {row});
}

void seedPremises(Database& database)
{
    insertRows(database, QStringLiteral("计费设置"), {QStringLiteral("计费方式")},
               {{QStringLiteral("按次计费")}, {QStringLiteral("按时计费")}});

    insertRows(database, QStringLiteral("包厢类型"),
               {QStringLiteral("包厢类型"), QStringLiteral("包厢性质"), QStringLiteral("计费方式"),
                QStringLiteral("门票价格"), QStringLiteral("容纳人数"), QStringLiteral("初始费用")},
               {
                   {QStringLiteral("大厅"), QStringLiteral("普通"), QStringLiteral("按次计费"),
                    money(20), number(60), money(0)},
                   {QStringLiteral("贵宾房"), QStringLiteral("包间"), QStringLiteral("按次计费"),
                    money(50), number(4), money(0)},
                   {QStringLiteral("休息厅"), QStringLiteral("普通"), QStringLiteral("按时计费"),
                    money(0), number(20), money(0)},
               });

    struct Block
    {
        const char* marker;
        int count;
        const char* room;
    };
    const Block blocks[] = {{"A", 15, "大厅"}, {"V", 10, "贵宾房"}, {"S", 5, "休息厅"}};
    QList<QVariantList> tags;
    int sortKey = 0;
    for (const Block& block : blocks) {
        for (int i = 1; i <= block.count; ++i) {
            const QString tag =
                QString::fromLatin1(block.marker) + QStringLiteral("%1").arg(i, 2, 10, QChar(u'0'));
            // A few tags in the other states, so that the board shows every picture.
            QString state = QStringLiteral("可用");
            if (tag == u"A15")
                state = QStringLiteral("停用");
            else if (tag == u"V10")
                state = QStringLiteral("预定");
            tags.append({tag, QString::fromUtf8(block.room), state, whole(++sortKey),
                         QStringLiteral(""), QStringLiteral("")});
        }
    }
    insertRows(database, QStringLiteral("手牌管理"),
               {QStringLiteral("手牌号码"), QStringLiteral("所属包厢"), QStringLiteral("手牌状态"),
                QStringLiteral("number"), QStringLiteral("所在位置"), QStringLiteral("包厢性质")},
               tags);
}

void seedCatalogue(Database& database)
{
    // 名称, keeps stock, needs service, takes part in discounts
    insertRows(database, QStringLiteral("商品类型"),
               {QStringLiteral("名称"), QStringLiteral("库存"), QStringLiteral("是否需要服务"),
                QStringLiteral("参与打折")},
               {
                   {QStringLiteral("饮料"), true, false, QStringLiteral("y")},
                   {QStringLiteral("香烟"), true, false, QStringLiteral("n")},
                   {QStringLiteral("小吃"), true, false, QStringLiteral("y")},
                   {QStringLiteral("洗浴"), false, true, QStringLiteral("y")},
                   {QStringLiteral("按摩"), false, true, QStringLiteral("y")},
                   {QStringLiteral("服务类"), false, true, QStringLiteral("y")},
               });

    struct Goods
    {
        const char* code;
        const char* name;
        const char* initials;
        int price;
        int commission;
        const char* type;
        int stock;
    };
    const Goods goods[] = {
        {"101", "矿泉水", "KQS", 5, 0, "饮料", 200},
        {"102", "可乐", "KL", 6, 0, "饮料", 120},
        {"103", "绿茶", "LC", 8, 0, "饮料", 80},
        {"104", "啤酒", "PJ", 10, 0, "饮料", 150},
        {"201", "中华香烟", "ZHXY", 65, 0, "香烟", 30},
        {"202", "利群香烟", "LQXY", 25, 0, "香烟", 40},
        {"301", "瓜子", "GZ", 10, 0, "小吃", 50},
        {"302", "果盘", "GP", 38, 0, "小吃", 20},
        {"401", "洗浴", "XY", 48, 5, "洗浴", 0},
        {"402", "搓背", "CB", 30, 10, "洗浴", 0},
        {"501", "足底按摩", "ZDAM", 98, 30, "按摩", 0},
        {"502", "全身按摩", "QSAM", 168, 50, "按摩", 0},
        {"503", "修脚", "XJ", 40, 15, "服务类", 0},
    };
    QList<QVariantList> rows;
    for (const Goods& g : goods) {
        const QString type = QString::fromUtf8(g.type);
        const bool service = type == u"洗浴" || type == u"按摩" || type == u"服务类";
        rows.append({QString::fromLatin1(g.code), QString::fromUtf8(g.name),
                     QString::fromLatin1(g.initials), money(g.price), money(g.commission), type,
                     whole(g.stock), service ? QStringLiteral("是") : QStringLiteral("否")});
    }
    insertRows(database, QStringLiteral("商品库"),
               {QStringLiteral("编号"), QStringLiteral("商品名"), QStringLiteral("拼音"),
                QStringLiteral("单价"), QStringLiteral("提成金额"), QStringLiteral("商品类型"),
                QStringLiteral("库存"), QStringLiteral("是否需要服务")},
               rows);
}

void seedMembersAndStaff(Database& database)
{
    insertRows(database, QStringLiteral("会员类型"),
               {QStringLiteral("类型名称"), QStringLiteral("打折率"), QStringLiteral("初始积分")},
               {
                   {QStringLiteral("银卡"), number(0.9), number(0)},
                   {QStringLiteral("金卡"), number(0.8), number(0)},
               });

    insertRows(database, QStringLiteral("员工等级"),
               {QStringLiteral("等级名称"), QStringLiteral("工资")},
               {
                   {QStringLiteral("服务员"), money(2200)},
                   {QStringLiteral("初级技师"), money(2800)},
                   {QStringLiteral("高级技师"), money(4000)},
               });

    insertRows(database, QStringLiteral("员工管理"),
               {QStringLiteral("员工编号"), QStringLiteral("员工姓名"), QStringLiteral("性别"),
                QStringLiteral("员工等级"), QStringLiteral("联系电话"), QStringLiteral("证件号码"),
                QStringLiteral("备注")},
               {
                   {QStringLiteral("001"), QStringLiteral("张伟"), QStringLiteral("男"),
                    QStringLiteral("高级技师"), QStringLiteral("13805710001"), QStringLiteral(""),
                    QStringLiteral("")},
                   {QStringLiteral("002"), QStringLiteral("李娜"), QStringLiteral("女"),
                    QStringLiteral("初级技师"), QStringLiteral("13805710002"), QStringLiteral(""),
                    QStringLiteral("")},
                   {QStringLiteral("003"), QStringLiteral("王芳"), QStringLiteral("女"),
                    QStringLiteral("初级技师"), QStringLiteral("13805710003"), QStringLiteral(""),
                    QStringLiteral("")},
                   {QStringLiteral("004"), QStringLiteral("刘强"), QStringLiteral("男"),
                    QStringLiteral("服务员"), QStringLiteral("13805710004"), QStringLiteral(""),
                    QStringLiteral("")},
               });
}

} // namespace

void seedSampleVenue(Database& database)
{
    seedCounterAndShop(database);
    seedAdministrator(database);
    seedPremises(database);
    seedCatalogue(database);
    seedMembersAndStaff(database);
}

} // namespace shoupai
