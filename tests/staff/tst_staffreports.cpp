// What "打印" of the employee list, the commission detail and the wage records
// puts on paper: the report each screen hands to the preview, rendered to a
// PDF and read back as text.

#include "StaffTestKit.h"
#include "TestHome.h"
#include "app/Session.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "common/ReportPreview.h"
#include "common/ReportRenderer.h"
#include "staff/FwsGlUt.h"
#include "staff/FwsTcMxUt.h"
#include "staff/GongZiRecordUt.h"
#include "staff/StaffSearchBar.h"

#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace shoupai;
using namespace shoupai::test;

namespace {

const QDateTime PrintedAt(QDate(2026, 3, 5), QTime(14, 7, 9));

struct Desk
{
    ScriptedPrompter prompter;
    SeededDatabase base;
    Session session;

    Desk()
    {
        session.start(writeSystemIni(base));
        session.operatorName = QStringLiteral("收银员甲");
        session.permissions = Permissions::all();
    }
    Database& db() { return session.database(); }
};

// The one report the screen handed to the preview, as the printed text.
QString printedText(Database& db, const ScriptedReportPreviewer& previewer)
{
    if (previewer.shown().size() != 1)
        return {};
    const ScriptedReportPreviewer::Shown& shown = previewer.shown().first();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("report.pdf"));
    ReportRenderer renderer(db);
    renderer.setPrintedAt(PrintedAt);
    if (!renderer.renderToPdf(shown.layout, shown.statement, shown.parameters, path))
        return {};
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The words of one printed line, separated by any run of blanks.
QRegularExpression printedLine(const QStringList& words)
{
    QStringList escaped;
    for (const QString& word : words)
        escaped << QRegularExpression::escape(word);
    return QRegularExpression(escaped.join(QStringLiteral("\\s+")));
}

// Each line is printed once, in the given order; returns the first one missing.
QString missingInOrder(const QString& text, const QList<QStringList>& lines)
{
    qsizetype position = 0;
    for (const QStringList& words : lines) {
        const QRegularExpressionMatch match = printedLine(words).match(text, position);
        if (!match.hasMatch())
            return words.join(u' ');
        position = match.capturedEnd();
    }
    return {};
}

void click(QWidget& screen, const char* name)
{
    auto* button = screen.findChild<QPushButton*>(QLatin1String(name));
    QVERIFY2(button, name);
    button->click();
}

void search(StaffSearchBar* bar, const QString& column, const QString& value)
{
    bar->selector()->setEditText(column);
    bar->valueBox()->setText(value);
}

} // namespace

class TestStaffReports : public QObject
{
    Q_OBJECT

private slots:
    void staffReportListsEveryEmployeeInListOrder()
    {
        Desk desk;
        addGrade(desk.db(), QStringLiteral("技师"), 3000);
        addGrade(desk.db(), QStringLiteral("学徒"), 1000);
        addEmployee(desk.db(), QStringLiteral("E2"), QStringLiteral("钱二"),
                    QStringLiteral("学徒"));
        addEmployee(desk.db(), QStringLiteral("E1"), QStringLiteral("赵一"),
                    QStringLiteral("技师"));
        addEmployee(desk.db(), QStringLiteral("E10"), QStringLiteral("孙十"),
                    QStringLiteral("技师"));

        TFwsGlFm list(desk.session);
        ScriptedReportPreviewer previewer;
        click(list, "printButton");
        const QString text = printedText(desk.db(), previewer);
        QVERIFY2(!text.isEmpty(), "nothing printed");

        QCOMPARE(text.count(QStringLiteral("服务生资料")), 1);
        QVERIFY(text.indexOf(QStringLiteral("服务生资料")) < text.indexOf(QStringLiteral("编号")));
        QVERIFY(text.contains(printedLine({"编号", "姓名", "性别", "员工等级"})));
        // The rows in the order the list shows them.
        QList<QStringList> rows;
        for (int row = 0; row < list.grid()->recordCount(); ++row) {
            QStringList words;
            for (const char* field : {"员工编号", "员工姓名", "性别", "员工等级"})
                words << list.grid()->value(row, QString::fromUtf8(field)).toString();
            rows << words;
        }
        QCOMPARE(rows.size(), countOf(desk.db(), QStringLiteral("select count(*) from 员工管理")));
        QVERIFY(rows.contains(QStringList{"E10", "孙十", "男", "技师"}));
        const QString missing = missingInOrder(text, rows);
        QVERIFY2(missing.isEmpty(), qPrintable(missing + QStringLiteral("\n") + text));
        QVERIFY(text.contains(QStringLiteral("打印日期:2026-03-05")));
        QVERIFY(!text.contains(QStringLiteral("14:07:09")));
    }

    void detailReportPrintsTheFoundLinesOnly()
    {
        Desk desk;
        addPostedLine(desk.db(), QStringLiteral("E1"), money(QStringLiteral("6")),
                      QStringLiteral("0"), QDateTime(QDate(2024, 5, 11), QTime(10, 0)),
                      QStringLiteral("000101"));
        addPostedLine(desk.db(), QStringLiteral("E2"), money(QStringLiteral("9")),
                      QStringLiteral("0"), QDateTime(QDate(2024, 5, 11), QTime(11, 0)),
                      QStringLiteral("000102"));
        addPostedLine(desk.db(), QStringLiteral("E1"), money(QStringLiteral("15.5")),
                      QStringLiteral("1"), QDateTime(QDate(2024, 5, 12), QTime(9, 30, 5)),
                      QStringLiteral("000103"));
        QList<qint64> ids;
        {
            Rows found = desk.db().query(
                QStringLiteral("select id from 结帐明细 where 员工编号 = ? order by id"),
                {QStringLiteral("E1")});
            while (found.next())
                ids << found.integer(QStringLiteral("id"));
        }
        QCOMPARE(ids.size(), 2);

        TFwsTcMxFm detail(desk.session);
        search(detail.searchBar(), QStringLiteral("员工编号"), QStringLiteral("E1"));
        detail.Query();
        QCOMPARE(detail.grid()->recordCount(), 2);
        ScriptedReportPreviewer previewer;
        click(detail, "printButton");
        const QString text = printedText(desk.db(), previewer);
        QVERIFY2(!text.isEmpty(), "nothing printed");

        QVERIFY(text.contains(QStringLiteral("打印时间:2026-03-05")));
        QVERIFY(text.indexOf(QStringLiteral("打印时间")) < text.indexOf(QStringLiteral("单据号")));
        QVERIFY(text.contains(printedLine({"ID", "编号", "姓名", "时间", "单据号", "提成金额"})));
        // The line's id, code, name, moment, bill and commission; never E2's line.
        const QString missing = missingInOrder(
            text,
            {{QString::number(ids[0]), "E1", "E1", "2024-05-11", "10:00:00", "000101", "6"},
             {QString::number(ids[1]), "E1", "E1", "2024-05-12", "09:30:05", "000103", "15.5"}});
        QVERIFY2(missing.isEmpty(), qPrintable(missing + QStringLiteral("\n") + text));
        QVERIFY(!text.contains(QStringLiteral("000102")));
        QVERIFY(!text.contains(QStringLiteral("E2")));
    }

    void recordReportPrintsSevenColumnsOfTheFoundRecords()
    {
        Desk desk;
        const auto addRecord = [&](const QString& code, const QString& name, const QDateTime& at,
                                   const char* wage, const char* commission, const char* total) {
            desk.db().exec(QStringLiteral("insert into 员工工资表 (员工编号, 员工姓名, 员工等级, "
                                          "日期, 工资, 提成, 合计, 备注, 登记人) "
                                          "values (?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                           {code, name, QStringLiteral("技师"), at,
                            QVariant::fromValue(money(QString::fromLatin1(wage))),
                            QVariant::fromValue(money(QString::fromLatin1(commission))),
                            QVariant::fromValue(money(QString::fromLatin1(total))),
                            QStringLiteral("五月"), QStringLiteral("店长")});
        };
        addRecord(QStringLiteral("E1"), QStringLiteral("赵一"),
                  QDateTime(QDate(2024, 5, 31), QTime(18, 0)), "2000", "45.5", "2045.5");
        addRecord(QStringLiteral("E2"), QStringLiteral("钱二"),
                  QDateTime(QDate(2024, 5, 31), QTime(18, 5)), "1000", "0", "1000");
        addRecord(QStringLiteral("E1"), QStringLiteral("赵一"),
                  QDateTime(QDate(2024, 6, 30), QTime(17, 45, 30)), "2000", "0", "2000");

        TGongZiRecordFm records(desk.session);
        search(records.searchBar(), QStringLiteral("员工姓名"), QStringLiteral("赵"));
        records.Query();
        QCOMPARE(records.grid()->recordCount(), 2);
        ScriptedReportPreviewer previewer;
        click(records, "printButton");
        const QString text = printedText(desk.db(), previewer);
        QVERIFY2(!text.isEmpty(), "nothing printed");

        QVERIFY(text.contains(QStringLiteral("2026-03-05 14:07:09")));
        QVERIFY(text.contains(
            printedLine({"员工编号", "员工姓名", "日期", "工资", "提成", "合计", "登记人"})));
        QList<QStringList> rows;
        for (int row = 0; row < records.grid()->recordCount(); ++row) {
            const QDateTime at = records.grid()->value(row, QStringLiteral("日期")).toDateTime();
            QStringList words{"E1", "赵一", at.toString(QStringLiteral("yyyy-MM-dd")),
                              at.toString(QStringLiteral("hh:mm:ss"))};
            for (const char* field : {"工资", "提成", "合计"})
                words << stored::toMoney(records.grid()->value(row, QString::fromUtf8(field)))
                             .toString();
            words << QStringLiteral("店长");
            rows << words;
        }
        QCOMPARE(rows.first().at(4), QStringLiteral("2000"));
        QVERIFY(rows.contains(
            QStringList{"E1", "赵一", "2024-05-31", "18:00:00", "2000", "45.5", "2045.5", "店长"}));
        const QString missing = missingInOrder(text, rows);
        QVERIFY2(missing.isEmpty(), qPrintable(missing + QStringLiteral("\n") + text));
        QVERIFY(!text.contains(QStringLiteral("钱二")));
        // The note and the grade are not among the printed columns.
        QVERIFY(!text.contains(QStringLiteral("五月")));
    }

    void nothingListedPrintsNothing()
    {
        Desk desk;
        desk.db().exec(QStringLiteral("drop table 员工工资表"));
        TGongZiRecordFm records(desk.session); // its opening query fails and is reported
        QVERIFY(!desk.prompter.shown().isEmpty());
        ScriptedReportPreviewer previewer;
        click(records, "printButton");
        QCOMPARE(previewer.shown().size(), 0);
    }
};

QTEST_MAIN(TestStaffReports)
#include "tst_staffreports.moc"
