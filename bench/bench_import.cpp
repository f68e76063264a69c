// The goods import: 5,000 rows from a workbook through the import procedure on a
// copy of the synthetic history, beside the same rows inserted bare in one
// transaction; and the same import on PostgreSQL.
// import_5000_pg_ms needs a PostgreSQL server: SHOUPAI_TEST_PG="host=..;port=..;user=.."

#include "app/Session.h"
#include "catalogue/GoodsImport.h"
#include "common/Prompter.h"
#include "common/SpreadsheetReader.h"
#include "platform/Database.h"
#include "platform/Schema.h"
#include "support/BenchReport.h"
#include "support/HistoryVenue.h"
#include "support/ScratchServer.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

#include <xlsxwriter.h>

#include <cstdio>

using namespace shoupai;

namespace {

constexpr int RowCount = 5000;
constexpr qint64 FirstId = 1000000; // past every key of the history

const char* const names[] = {"洗发水", "矿泉水", "足底按摩", "可乐",
                             "搓背",   "果盘",   "绿茶",     "修脚"};

QString writeWorkbook(const QString& folder)
{
    const QString path = folder + QStringLiteral("/goods_5000.xlsx");
    lxw_workbook* book = workbook_new(path.toUtf8().constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    const char* titles[] = {"id",       "编号",     "商品名", "拼音",        "单价",
                            "提成金额", "商品类型", "库存",   "是否需要服务"};
    for (lxw_col_t column = 0; column < 9; ++column)
        worksheet_write_string(sheet, 0, column, titles[column], nullptr);
    for (int i = 0; i < RowCount; ++i) {
        const lxw_row_t row = lxw_row_t(i + 1);
        const bool service = i % 3 == 0;
        const QByteArray name = (QString::fromUtf8(names[i % 8]) + QString::number(i)).toUtf8();
        worksheet_write_number(sheet, row, 0, double(FirstId + i), nullptr);
        worksheet_write_number(sheet, row, 1, 6901234500000.0 + i, nullptr);
        worksheet_write_string(sheet, row, 2, name.constData(), nullptr);
        worksheet_write_number(sheet, row, 4, 10 + (i % 90) + 0.25 * (i % 4), nullptr);
        worksheet_write_number(sheet, row, 5, service ? 5.5 : 0, nullptr);
        worksheet_write_string(sheet, row, 6, service ? "洗浴" : "饮料", nullptr);
        if (!service)
            worksheet_write_number(sheet, row, 7, i % 200, nullptr);
        worksheet_write_string(sheet, row, 8, service ? "是" : "否", nullptr);
    }
    if (workbook_close(book) != LXW_NO_ERROR)
        qFatal("the workbook could not be written");
    return path;
}

void removeImported(Database& db)
{
    db.exec(QStringLiteral("delete from 商品库 where ID >= ?"), {FirstId});
}

// What the screen does: read the workbook, check and import.
void importWorkbook(Database& db, const QString& path)
{
    const SheetContent content = SpreadsheetReader::forFile(path)->read(path);
    const goodsimport::Outcome outcome =
        goodsimport::importRows(db, goodsimport::dataRows(content), false);
    if (outcome.failed() || outcome.inserted != RowCount)
        qFatal("import failed: %s (%d rows)", qPrintable(outcome.failure), outcome.inserted);
}

// The same rows, parsed in advance, inserted bare.
QList<QVariantList> bareRows()
{
    QList<QVariantList> rows;
    for (int i = 0; i < RowCount; ++i) {
        const bool service = i % 3 == 0;
        rows.append(
            {QVariant::fromValue<qlonglong>(FirstId + i), QString::number(6901234500000LL + i),
             QString::fromUtf8(names[i % 8]) + QString::number(i), QStringLiteral("X"),
             QVariant::fromValue(Money::fromTicks((10 + (i % 90)) * 10000 + 2500 * (i % 4))),
             QVariant::fromValue(service ? Money::fromTicks(55000) : Money()),
             service ? QStringLiteral("洗浴") : QStringLiteral("饮料"),
             service ? QVariant(QMetaType::fromType<qlonglong>())
                     : QVariant::fromValue<qlonglong>(i % 200),
             service ? QStringLiteral("是") : QStringLiteral("否")});
    }
    return rows;
}

void insertBare(Database& db, const QList<QVariantList>& rows)
{
    Transaction transaction(db);
    for (const QVariantList& row : rows)
        db.exec(
            QStringLiteral("insert into 商品库 (ID, 编号, 商品名, 拼音, 单价, 提成金额, 商品类型, "
                           "库存, 是否需要服务) values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            row);
    transaction.commit();
}

void benchSqlite(const QString& workbook)
{
    const bench::HistoryCopy copy;
    if (!copy.copied())
        qFatal("%s", qPrintable(copy.failure()));
    Database db;
    if (!db.open(
            ConnectionDescription::parse(QStringLiteral("Provider=SQLite;Data Source=data.db")),
            copy.folder()))
        qFatal("%s", qPrintable(db.lastError()));
    const QList<QVariantList> rows = bareRows();
    const bench::Timings timings = bench::alternatingMediansMs(
        5, [&] { removeImported(db); }, [&] { importWorkbook(db, workbook); },
        [&] { removeImported(db); }, [&] { insertBare(db, rows); });
    bench::reportAgainstFloor(QStringLiteral("import_5000_ms"), timings.figure, timings.floor);
}

void benchServer(const QString& workbook, const QString& folder)
{
    const bench::ScratchServer server(QStringLiteral("bench_import"), folder);
    if (!server.ready()) {
        std::fprintf(stderr, "import_5000_pg_ms skipped: %s\n", qPrintable(server.skipped()));
        return;
    }
    {
        Database db;
        if (!db.open(ConnectionDescription::parse(server.connection()), folder))
            qFatal("%s", qPrintable(db.lastError()));
        Schema::create(db);
        Schema::seed(db);
        // A catalogue of the history's size already in place.
        QList<QVariantList> existing = bareRows();
        for (QVariantList& row : existing)
            row[0] = row[0].toLongLong() - FirstId + 100;
        insertBare(db, existing);
        const QList<QVariantList> rows = bareRows();
        const bench::Timings timings = bench::alternatingMediansMs(
            5, [&] { removeImported(db); }, [&] { importWorkbook(db, workbook); },
            [&] { removeImported(db); }, [&] { insertBare(db, rows); });
        bench::report(QStringLiteral("import_5000_pg_ms"), timings.figure, QStringLiteral("ms"));
        bench::report(QStringLiteral("import_5000_pg_floor_ms"), timings.floor,
                      QStringLiteral("ms"));
        db.close();
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;
    QTemporaryDir folder;
    try {
        const QString workbook = writeWorkbook(folder.path());
        benchSqlite(workbook);
        benchServer(workbook, folder.path());
    } catch (const DatabaseError& error) {
        std::fprintf(stderr, "bench_import: %s\n", qPrintable(error.text()));
        return 1;
    }
    return 0;
}
