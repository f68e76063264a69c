// The catalogue list on the synthetic history (5,000 goods): opening the
// screen, which shows every item by name, beside the bare statement read to
// its end through a plain connection.

#include "app/Session.h"
#include "catalogue/GoodsItems.h"
#include "catalogue/XmUt.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "platform/Schema.h"
#include "platform/SchemaUpgrades.h"
#include "support/BareQuery.h"
#include "support/BenchReport.h"
#include "support/SyntheticHistory.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

using namespace shoupai;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    QTemporaryDir home;
    const QString shared = bench::syntheticHistorySqlite();
    if (shared.isEmpty()) {
        QTextStream(stderr) << "no synthetic history\n";
        return 1;
    }
    const QString file = QDir(home.path()).filePath(QStringLiteral("data.db"));
    QFile::copy(shared, file);
    {
        QFile ini(QDir(home.path()).filePath(QStringLiteral("system.ini")));
        if (!ini.open(QIODevice::WriteOnly))
            return 1;
        ini.write("[part1]\nabc=a\ncsaccess=Provider=SQLite;Data Source=data.db\n");
    }
    Session session;
    session.start(home.path());
    session.operatorName = QStringLiteral("超级管理员");
    session.permissions = Permissions::all();
    Database& db = session.database();
    if (!db.isOpen())
        return 1;
    if (Schema::storedVersion(db) < Schema::currentVersion()) {
        Transaction transaction(db);
        for (const UpgradeStep& step : upgradeSteps())
            step.apply(db);
        transaction.commit();
    }
    const qint64 goods = db.scalar(QStringLiteral("select count(*) from 商品库")).toLongLong();
    if (goods < 5000) {
        QTextStream(stderr) << "the history holds " << goods << " goods\n";
        return 1;
    }

    bench::BareConnection bare(file);
    qint64 shown = 0;
    const bench::Timings open = bench::alternatingMediansMs(
        9, [] {},
        [&] {
            TXmFm screen(session);
            shown = screen.grid()->recordCount();
            // What the operator sees first: the titles, the first page and the footer.
            screen.grid()->footerText(QStringLiteral("库存"));
        },
        [] {}, [&] { bare.readToEnd(goodsitems::allItems().sql); });
    if (shown != goods) {
        QTextStream(stderr) << "the list showed " << shown << " of " << goods << " goods\n";
        return 1;
    }
    bench::reportAgainstFloor(QStringLiteral("catalogue_open_5000_ms"), open.figure, open.floor);
    return 0;
}
