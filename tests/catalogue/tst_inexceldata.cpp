#include "../billing/BillingTestKit.h"
#include "catalogue/InExcelDataUt.h"
#include "floor/MainUt.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <xlsxwriter.h>

using namespace shoupai;
using namespace shoupai::test;

namespace {

const QString importPassword = QStringLiteral("txe951730468");

// A workbook of goods: the title row, then one row per entry (cells as text,
// numbers written as numbers).
QString writeGoods(const QTemporaryDir& folder, const QString& name, const QList<QStringList>& rows)
{
    const QString path = folder.path() + u'/' + name;
    lxw_workbook* book = workbook_new(path.toUtf8().constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, nullptr);
    const QStringList titles{"id",       "编号",     "商品名", "拼音",        "单价",
                             "提成金额", "商品类型", "库存",   "是否需要服务"};
    for (int column = 0; column < titles.size(); ++column)
        worksheet_write_string(sheet, 0, lxw_col_t(column), titles.at(column).toUtf8().constData(),
                               nullptr);
    for (int row = 0; row < rows.size(); ++row)
        for (int column = 0; column < rows.at(row).size(); ++column) {
            const QString cell = rows.at(row).at(column);
            bool number = false;
            const double value = cell.toDouble(&number);
            if (cell.isEmpty())
                continue;
            if (number)
                worksheet_write_number(sheet, lxw_row_t(row + 1), lxw_col_t(column), value,
                                       nullptr);
            else
                worksheet_write_string(sheet, lxw_row_t(row + 1), lxw_col_t(column),
                                       cell.toUtf8().constData(), nullptr);
        }
    if (workbook_close(book) != LXW_NO_ERROR)
        return {};
    return path;
}

QList<QStringList> threeGoods()
{
    return {{"", "", "矿泉水", "", "2", "0", "饮料", "", "否"},
            {"", "B7", "足疗", "", "98.5", "30", "按摩", "", "是"},
            {"", "6901234567890", "可乐", "KL", "3", "0", "饮料", "12", "否"}};
}

QStringList listTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class TestInExcelData : public QObject
{
    Q_OBJECT
private slots:
    void chooseShowsTheTitleRowAndCounts();
    void passwordGuardsTheImport();
    void importListsRefusedRowsAndEndsDisabled();
    void importAnXlsxFromTheMenu();
};

void TestInExcelData::chooseShowsTheTitleRowAndCounts()
{
    Venue venue;
    QTemporaryDir folder;
    TInExcelDataFm screen(venue.session);
    QCOMPARE(screen.windowTitle(), QStringLiteral("Excel导入"));
    QCOMPARE(listTexts(screen.columnList()),
             (QStringList{"id", "编号", "商品名", "拼音", "单价", "提成金额", "商品类型", "库存",
                          "是否需要服务"}));
    QVERIFY(!screen.importButton()->isEnabled());

    // A cancelled chooser leaves the screen as it was.
    screen.setFileAsker([] { return QString(); });
    screen.ChooseExcel();
    QVERIFY(!screen.importButton()->isEnabled());
    QVERIFY(venue.prompter.texts().isEmpty());

    const QString path = writeGoods(folder, QStringLiteral("goods.xlsx"), threeGoods());
    screen.setFileAsker([&] { return path; });
    screen.ChooseExcel();
    QCOMPARE(screen.rowCountLabel()->text(), QStringLiteral("3条数据(行数)"));
    QCOMPARE(screen.columnCountLabel()->text(), QStringLiteral("9个商品(列数)"));
    QCOMPARE(listTexts(screen.titleList()).first(), QStringLiteral("id"));
    QCOMPARE(screen.titleList()->count(), 9);
    QVERIFY(screen.importButton()->isEnabled());

    // An unreadable file says why and keeps nothing of it.
    const QString broken = folder.path() + QStringLiteral("/broken.xlsx");
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a workbook");
    file.close();
    QVERIFY(!screen.OpenWorkbook(broken));
    QVERIFY(venue.prompter.lastText().startsWith(QStringLiteral("无法读取文件:")));
    QCOMPARE(screen.titleList()->count(), 0);

    screen.OpenWorkbook(path);
    screen.ClearLists();
    QCOMPARE(screen.titleList()->count(), 0);
    QCOMPARE(screen.columnList()->count(), 9);
}

void TestInExcelData::passwordGuardsTheImport()
{
    Venue venue;
    Database& db = venue.database();
    db.exec(QStringLiteral("delete from 商品库"));
    QTemporaryDir folder;
    TInExcelDataFm screen(venue.session);
    QVERIFY(screen.OpenWorkbook(writeGoods(folder, QStringLiteral("goods.xlsx"), threeGoods())));
    screen.autoNumberBox()->setChecked(true);

    venue.prompter.queueInput(QStringLiteral("txe95173046"));
    screen.Import();
    screen.Import(); // cancelled: nothing queued
    QCOMPARE(venue.prompter.texts(), (QStringList{"密码:", "密码错误!", "密码:", "密码错误!"}));
    QCOMPARE(venue.prompter.shown().first().kind, Prompter::Kind::Input);
    QCOMPARE(venue.prompter.shown().first().caption, QStringLiteral("请输入正确的密码"));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 商品库")), 0);
    QVERIFY(screen.importButton()->isEnabled());

    venue.prompter.clear();
    venue.prompter.queueInput(importPassword);
    screen.Import();
    QCOMPARE(venue.prompter.lastText(), QStringLiteral("完成!"));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 商品库 where ID in (2, 3, 4)")), 3);
    QCOMPARE(db.scalar(QStringLiteral("select 编号 from 商品库 where ID = 4")).toString(),
             QStringLiteral("6901234567890"));
    QCOMPARE(db.scalar(QStringLiteral("select 编号 from 商品库 where ID = 2")).toString(),
             QStringLiteral("0"));
}

void TestInExcelData::importListsRefusedRowsAndEndsDisabled()
{
    Venue venue;
    Database& db = venue.database();
    QTemporaryDir folder;
    const qint64 before = count(db, QStringLiteral("select count(*) from 商品库"));
    TInExcelDataFm screen(venue.session);

    // A sheet with its title row only imports nothing.
    QVERIFY(screen.OpenWorkbook(writeGoods(folder, QStringLiteral("title.xlsx"), {})));
    QCOMPARE(screen.rowCountLabel()->text(), QStringLiteral("0条数据(行数)"));
    venue.prompter.queueInput(importPassword);
    screen.Import();
    QCOMPARE(venue.prompter.lastText(), QStringLiteral("完成!"));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 商品库")), before);
    QVERIFY(!screen.importButton()->isEnabled());

    QList<QStringList> rows = threeGoods();
    rows[0][0] = QStringLiteral("900");
    rows[1][0] = QStringLiteral("901");
    rows[1][4] = QStringLiteral("九十");
    rows[2][0] = QStringLiteral("902");
    rows[2] = rows[2].mid(0, 5);
    QVERIFY(screen.OpenWorkbook(writeGoods(folder, QStringLiteral("mixed.xlsx"), rows)));
    venue.prompter.queueInput(importPassword);
    screen.Import();
    QCOMPARE(
        screen.failedRows()->toPlainText(),
        QStringLiteral("3,单价不是数字\n4,提成金额不是数字,商品类型不存在,是否需要服务应为是或否"));
    QVERIFY(screen.timeLabel()->text().startsWith(QStringLiteral("时间:")));
    QCOMPARE(screen.progressBar()->value(), screen.progressBar()->maximum());
    QVERIFY(!screen.importButton()->isEnabled());
    QVERIFY(screen.chooseButton()->isEnabled());
    QCOMPARE(count(db, QStringLiteral("select count(*) from 商品库 where ID = 900")), 1);
    QCOMPARE(count(db, QStringLiteral("select count(*) from 商品库")), before + 1);
}

void TestInExcelData::importAnXlsxFromTheMenu()
{
    Venue venue;
    Database& db = venue.database();
    db.exec(QStringLiteral("delete from 商品库"));
    QTemporaryDir folder;
    const QString path = writeGoods(folder, QStringLiteral("menu.xlsx"), threeGoods());
    TMainFm main(venue.session);
    QStringList opened;
    main.setModalRunner([&](QDialog& dialog) {
        opened << dialog.objectName();
        if (auto* screen = qobject_cast<TInExcelDataFm*>(&dialog)) {
            screen->setFileAsker([&] { return path; });
            screen->chooseButton()->click();
            screen->autoNumberBox()->setChecked(true);
            venue.prompter.queueInput(importPassword);
            screen->importButton()->click();
        }
        return int(QDialog::Rejected);
    });
    main.action(QStringLiteral("EXCEL导入"))->trigger();
    main.action(QStringLiteral("EXCEL导入"))->trigger();
    // A new screen each time; the same sheet again adds nothing.
    QCOMPARE(opened, (QStringList{"TInExcelDataFm", "TInExcelDataFm"}));
    QCOMPARE(venue.prompter.texts(), (QStringList{"密码:", "完成!", "密码:", "完成!"}));
    QCOMPARE(count(db, QStringLiteral("select count(*) from 商品库")), 3);
    Rows massage = db.query(QStringLiteral("select * from 商品库 where ID = 3"));
    QVERIFY(massage.next());
    QCOMPARE(massage.money(QStringLiteral("单价")), *Money::parse(u"98.5"));
    QCOMPARE(massage.text(QStringLiteral("拼音")), QStringLiteral("ZL"));
}

QTEST_MAIN(TestInExcelData)
#include "tst_inexceldata.moc"
