#include "catalogue/GoodsImport.h"

#include "common/Pinyin.h"
#include "platform/Database.h"
#include "platform/KeyGenerator.h"
#include "platform/Money.h"

#include <QHash>
#include <QSet>

#include <optional>

namespace shoupai::goodsimport {

namespace {

constexpr int ProgressStep = 100;

const QString goodsTable = QStringLiteral("商品库");

// One accepted row, parsed by column kind.
struct GoodsRow
{
    qint64 id = 0;
    QString code;
    QString name;
    QString initials;
    Money price;
    Money commission;
    QString type;
    std::optional<qint64> stock;
    QString service;
};

std::optional<qint64> wholeNumber(const QString& text)
{
    bool ok = false;
    const qint64 value = text.trimmed().toLongLong(&ok);
    if (ok)
        return value;
    return std::nullopt;
}

class Checker
{
public:
    Checker(const Database& database, bool autoNumber) : m_autoNumber(autoNumber)
    {
        Rows ids = database.query(QStringLiteral("select ID from 商品库"));
        while (ids.next())
            m_storedIds.insert(ids.integer(QStringLiteral("ID")));
        Rows types = database.query(QStringLiteral("select 名称, 库存 from 商品类型"));
        while (types.next())
            m_typeKeepsStock.insert(types.text(QStringLiteral("名称")),
                                    types.flag(QStringLiteral("库存")));
    }

    // The parsed row, or the reasons it is refused.
    std::optional<GoodsRow> check(const SheetRow& sheetRow, QStringList& reasons)
    {
        GoodsRow row;
        auto cell = [&](int column) { return sheetRow.cell(column).trimmed(); };

        const std::optional<qint64> id =
            m_autoNumber ? std::optional<qint64>(sheetRow.number) : wholeNumber(cell(0));
        if (!id)
            reasons << QStringLiteral("ID不是整数");
        else if (m_storedIds.contains(*id))
            reasons << QStringLiteral("ID已存在");
        else if (m_sheetIds.contains(*id))
            reasons << QStringLiteral("ID重复");
        else
            row.id = *id;
        if (id)
            m_sheetIds.insert(*id);

        row.code = cell(1);
        if (row.code.isEmpty())
            row.code = QStringLiteral("0");
        row.name = cell(2);
        if (row.name.isEmpty())
            reasons << QStringLiteral("商品名为空");
        row.initials = cell(3);
        if (row.initials.isEmpty())
            row.initials = PinyinInitials(row.name);

        if (const auto price = Money::parse(cell(4)))
            row.price = *price;
        else
            reasons << QStringLiteral("单价不是数字");
        if (const auto commission = Money::parse(cell(5)))
            row.commission = *commission;
        else
            reasons << QStringLiteral("提成金额不是数字");

        row.type = cell(6);
        const auto type = m_typeKeepsStock.constFind(row.type);
        const QString stock = cell(7);
        if (!stock.isEmpty()) {
            row.stock = wholeNumber(stock);
            if (!row.stock)
                reasons << QStringLiteral("库存不是整数");
        } else if (type != m_typeKeepsStock.constEnd() && *type) {
            // An item of a stock-keeping type always has a count.
            row.stock = 0;
        }
        if (type == m_typeKeepsStock.constEnd())
            reasons << QStringLiteral("商品类型不存在");

        row.service = cell(8);
        if (row.service != u"是" && row.service != u"否")
            reasons << QStringLiteral("是否需要服务应为是或否");

        if (!reasons.isEmpty())
            return std::nullopt;
        return row;
    }

private:
    bool m_autoNumber;
    QSet<qint64> m_storedIds;
    QSet<qint64> m_sheetIds;
    QHash<QString, bool> m_typeKeepsStock;
};

void report(const Progress& progress, int done, int total, bool stageEnd = false)
{
    if (progress && (stageEnd || done % ProgressStep == 0))
        progress(done, total);
}

} // namespace

const QStringList& columnNames()
{
    static const QStringList names{
        QStringLiteral("id"),       QStringLiteral("编号"), QStringLiteral("商品名"),
        QStringLiteral("拼音"),     QStringLiteral("单价"), QStringLiteral("提成金额"),
        QStringLiteral("商品类型"), QStringLiteral("库存"), QStringLiteral("是否需要服务")};
    return names;
}

QString Refusal::line() const
{
    return QString::number(row) + u',' + reasons.join(u',');
}

QList<SheetRow> dataRows(const SheetContent& content)
{
    return content.rows.mid(1);
}

Outcome importRows(Database& database, const QList<SheetRow>& rows, bool autoNumber,
                   const Progress& progress)
{
    Outcome outcome;
    const int total = int(rows.size()) * 2;
    QList<GoodsRow> accepted;
    try {
        Checker checker(database, autoNumber);
        int done = 0;
        for (const SheetRow& sheetRow : rows) {
            QStringList reasons;
            if (std::optional<GoodsRow> row = checker.check(sheetRow, reasons))
                accepted << *row;
            else
                outcome.refused << Refusal{sheetRow.number, reasons};
            report(progress, ++done, total);
        }
        report(progress, done, total, true);
        // Refused rows need no writing; the bar still ends full.
        done += int(outcome.refused.size());

        if (!accepted.isEmpty()) {
            Transaction transaction(database);
            const QString insert = QStringLiteral(
                "insert into 商品库 (ID, 编号, 商品名, 拼音, 单价, 提成金额, 商品类型, 库存, "
                "是否需要服务) values (?, ?, ?, ?, ?, ?, ?, ?, ?)");
            for (const GoodsRow& row : accepted) {
                database.exec(insert, {QVariant::fromValue<qlonglong>(row.id), row.code, row.name,
                                       row.initials, QVariant::fromValue(row.price),
                                       QVariant::fromValue(row.commission), row.type,
                                       row.stock ? QVariant::fromValue<qlonglong>(*row.stock)
                                                 : QVariant(QMetaType::fromType<qlonglong>()),
                                       row.service});
                report(progress, ++done, total);
            }
            moveKeyGeneratorPastMax(database, goodsTable, QStringLiteral("ID"));
            transaction.commit();
        }
        report(progress, total, total, true);
        outcome.inserted = int(accepted.size());
    } catch (const DatabaseError& error) {
        outcome.failure = QStringLiteral("导入失败,没有导入任何数据:") + error.text();
        outcome.inserted = 0;
    }
    return outcome;
}

} // namespace shoupai::goodsimport
