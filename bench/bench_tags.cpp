// The batch tag screen's procedure on a copy of the synthetic history: a
// thousand tags checked and stored in one transaction, beside the same rows
// inserted bare.

#include "catalogue/TagBatch.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "support/BenchReport.h"
#include "support/HistoryVenue.h"

#include <QApplication>
#include <QTextStream>

using namespace shoupai;

namespace {

const QString Marker = QStringLiteral("BENCH");

void removeBatch(Database& db)
{
    db.exec(QStringLiteral("delete from 手牌管理 where 手牌号码 like ?"), {Marker + u'%'});
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    // The batch's procedure needs no operator, and the history as it was made.
    bench::HistoryVenue venue(bench::VenueSetup().as(QString()).withoutPermissions().notUpgraded());
    if (!venue.ready())
        return 1;
    Database& db = venue.database();

    const QString room = db.scalar(QStringLiteral("select min(包厢类型) from 包厢类型")).toString();
    TagBatchRequest request{Marker, true, QStringLiteral("1"), QStringLiteral("1000"), room};
    const QStringList numbers = tagbatch::tagNumbers(request);

    bool refused = false;
    const bench::Timings timings = bench::alternatingMediansMs(
        7, [&] { removeBatch(db); },
        [&] { refused = refused || !tagbatch::addTags(db, request).done; },
        [&] { removeBatch(db); },
        [&] {
            Transaction transaction(db);
            for (int i = 0; i < numbers.size(); ++i)
                db.exec(QStringLiteral("insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, "
                                       "number, 所在位置, 包厢性质) values (?, ?, ?, ?, ?, ?)"),
                        {numbers[i], room, QStringLiteral("可用"), i + 1, QString(), QString()});
            transaction.commit();
        });
    if (refused) {
        QTextStream(stderr) << "the batch was refused\n";
        return 1;
    }
    bench::reportAgainstFloor(QStringLiteral("tags_batch_1000_ms"), timings.figure, timings.floor);
    return 0;
}
