// The catalogue list on the synthetic history (5,000 goods): opening the
// screen, which shows every item by name, beside the bare statement read to
// its end through a plain connection.

#include "catalogue/GoodsItems.h"
#include "catalogue/XmUt.h"
#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "platform/Database.h"
#include "support/BareQuery.h"
#include "support/BenchReport.h"
#include "support/HistoryVenue.h"

#include <QApplication>
#include <QTextStream>

using namespace shoupai;

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ConsolePrompter prompter;

    bench::HistoryVenue venue;
    if (!venue.ready())
        return 1;
    Session& session = venue.session();
    Database& db = venue.database();
    const qint64 goods = db.scalar(QStringLiteral("select count(*) from 商品库")).toLongLong();
    if (goods < 5000) {
        QTextStream(stderr) << "the history holds " << goods << " goods\n";
        return 1;
    }

    bench::BareConnection bare(venue.dataPath());
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
