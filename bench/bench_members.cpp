// Members on the synthetic history (10,000 members): the member list's opening
// beside its bare statements, "查找" by card number and by name, and the
// checkout's password check on a hashed row.

#include "common/DataGrid.h"
#include "common/Prompter.h"
#include "members/MemberPassword.h"
#include "members/MemberUt.h"
#include "platform/Database.h"
#include "platform/PasswordHash.h"
#include "support/BareQuery.h"
#include "support/BenchReport.h"
#include "support/HistoryVenue.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
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
    const qint64 members = db.scalar(QStringLiteral("select count(*) from 会员管理")).toLongLong();
    QTextStream(stderr) << "members bench on " << members << " members\n";
    if (members < 10000)
        return 2;

    // The list with its footers, beside the bare first page and the count and sum.
    {
        const double ms = bench::medianMs(7, [&] {
            TMemberFm list(session);
            if (list.grid()->footerText(QStringLiteral("卡内金额")).isEmpty())
                QTextStream(stderr) << "no footer\n";
        });
        bench::BareConnection bare(venue.dataPath());
        const double floorMs = bench::medianMs(7, [&] {
            bare.readToEnd(
                QStringLiteral("select 会员卡号, 会员姓名, 会员类型, 会员性别, 卡内金额, "
                               "当前积分, 当前状态, 出生日期, 联系电话, 备注, 登记日期 "
                               "from 会员管理 order by 会员卡号 limit 256"));
            bare.readToEnd(QStringLiteral("select count(*), sum(卡内金额) from 会员管理"));
        });
        bench::report(QStringLiteral("members_open_10k_ms"), ms, QStringLiteral("ms"));
        bench::report(QStringLiteral("members_open_floor_ms"), floorMs, QStringLiteral("ms"));
        bench::reportRatio(QStringLiteral("members_open_ratio"), ms, floorMs);
    }

    // "查找" by card number and by name, a member in the middle of the history.
    {
        TMemberFm list(session);
        Rows middle = db.query(QStringLiteral("select 会员卡号, 会员姓名 from 会员管理 order by "
                                              "会员卡号 limit 1 offset ?"),
                               {QVariant::fromValue<qlonglong>(members / 2)});
        if (!middle.next())
            return 3;
        const QString card = middle.text(QStringLiteral("会员卡号"));
        const QString name = middle.text(QStringLiteral("会员姓名"));
        auto search = [&](const QString& column, const QString& text) {
            list.columnBox()->setCurrentText(column);
            list.searchBox()->setText(text);
            return bench::medianMs(9, [&] { list.Search(); });
        };
        bench::report(QStringLiteral("members_search_card_ms"),
                      search(QStringLiteral("会员卡号"), card), QStringLiteral("ms"));
        if (list.grid()->recordCount() != 1)
            return 4;
        bench::report(QStringLiteral("members_search_name_ms"),
                      search(QStringLiteral("会员姓名"), name), QStringLiteral("ms"));
        if (list.grid()->recordCount() != 1)
            return 5;
    }

    // The checkout's check of a member's password against its stored hash.
    {
        // One of the first rows holds the initial password; find it outside the timing.
        QString card;
        Rows first = db.query(QStringLiteral("select 会员卡号, 密码 from 会员管理 order by "
                                             "会员卡号 limit 4"));
        while (card.isEmpty() && first.next()) {
            if (passwordhash::verify(first.text(QStringLiteral("密码")), QStringLiteral("2863")))
                card = first.text(QStringLiteral("会员卡号"));
        }
        if (card.isEmpty())
            return 6;
        bool accepted = false;
        const double ms = bench::medianMs(5, [&] {
            Rows row =
                db.query(QStringLiteral("select 密码 from 会员管理 where 会员卡号 = ?"), {card});
            accepted =
                row.next() && confirmMemberPassword(db, card, row.text(QStringLiteral("密码")),
                                                    QStringLiteral("2863"));
        });
        bench::report(QStringLiteral("member_password_check_ms"), ms, QStringLiteral("ms"));
        if (!accepted)
            return 7;
    }
    return 0;
}
