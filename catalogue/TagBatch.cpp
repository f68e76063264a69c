#include "catalogue/TagBatch.h"

#include "catalogue/TagStates.h"
#include "common/NameField.h"
#include "platform/Database.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>

#include <optional>

namespace shoupai::tagbatch {

namespace {

const QString Duplicate = QStringLiteral("手牌号码重复!");
// Rows per insert, and numbers per lookup: well under either engine's limit on bound values.
constexpr int InsertChunk = 100;
constexpr int LookupChunk = 500;

std::optional<qint64> whole(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,%1}$").arg(MaxDigits));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toLongLong();
}

QString placeholders(int count)
{
    QStringList marks;
    marks.reserve(count);
    for (int i = 0; i < count; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

// The numbers of the batch already stored, in the batch's order, at most `limit`.
QStringList storedAmong(const Database& database, const QStringList& numbers, int limit)
{
    QStringList found;
    for (qsizetype from = 0; from < numbers.size() && found.size() < limit; from += LookupChunk) {
        const QStringList part = numbers.mid(from, LookupChunk);
        QVariantList values;
        for (const QString& number : part)
            values << number;
        QSet<QString> stored;
        Rows rows =
            database.query(QStringLiteral("select 手牌号码 from 手牌管理 where 手牌号码 in (") +
                               placeholders(part.size()) + u')',
                           values);
        while (rows.next())
            stored.insert(rows.text(QStringLiteral("手牌号码")));
        for (const QString& number : part) {
            if (stored.contains(number) && found.size() < limit)
                found << number;
        }
    }
    return found;
}

QString clashMessage(const QStringList& clashes)
{
    if (clashes.isEmpty())
        return Duplicate;
    return Duplicate + u'\n' + clashes.join(QStringLiteral("、"));
}

void insertTags(Database& database, const QStringList& numbers, qint64 start,
                const QString& roomType)
{
    for (qsizetype from = 0; from < numbers.size(); from += InsertChunk) {
        const qsizetype count = std::min<qsizetype>(InsertChunk, numbers.size() - from);
        QStringList rows;
        QVariantList values;
        for (qsizetype i = from; i < from + count; ++i) {
            rows << QStringLiteral("(?, ?, ?, ?, ?, ?)");
            values << numbers[i] << roomType << tagstates::Free
                   << QVariant::fromValue<qlonglong>(start + i) << QString() << QString();
        }
        database.exec(QStringLiteral("insert into 手牌管理 (手牌号码, 所属包厢, 手牌状态, number, "
                                     "所在位置, 包厢性质) values ") +
                          rows.join(QStringLiteral(", ")),
                      values);
    }
}

} // namespace

QStringList tagNumbers(const TagBatchRequest& request)
{
    const std::optional<qint64> start = whole(request.startText.trimmed());
    const std::optional<qint64> end = whole(request.endText.trimmed());
    if (!start || !end || *end < *start || *end - *start >= MaxTags)
        return {};
    const QString marker = request.marker.trimmed();
    QStringList numbers;
    for (qint64 n = *start; n <= *end; ++n) {
        const QString digits = QString::number(n);
        numbers << (request.markerBefore ? marker + digits : digits + marker);
    }
    return numbers;
}

SetupOutcome addTags(Database& database, const TagBatchRequest& request,
                     const std::function<void()>& beforeWriting)
{
    const QString startText = request.startText.trimmed();
    const QString endText = request.endText.trimmed();
    if (startText.isEmpty() || endText.isEmpty())
        return SetupOutcome::refused(QStringLiteral("请输入手牌的起始值和终止值！"));
    const std::optional<qint64> start = whole(startText);
    const std::optional<qint64> end = whole(endText);
    if (!start || !end)
        return SetupOutcome::refused(
            QStringLiteral("起始数值和终止数值只能是不超过%1位的数字!").arg(MaxDigits));
    if (*end < *start)
        return SetupOutcome::refused(QStringLiteral("终止数值不能小于起始数值!"));
    if (*end - *start >= MaxTags)
        return SetupOutcome::refused(QStringLiteral("一次最多添加1000个手牌!"));
    const QString roomType = request.roomType.trimmed();
    if (roomType.isEmpty())
        return SetupOutcome::refused(QStringLiteral("请选择包厢类型!"));
    const QStringList numbers = tagNumbers(request);
    // The last number is the longest.
    if (const std::optional<QString> why =
            nameFieldRefusal(QStringLiteral("手牌号码"), numbers.constLast()))
        return SetupOutcome::refused(*why);
    try {
        Transaction transaction(database);
        // Locked so that the room type is neither renamed nor removed while its tags go in.
        Rows room =
            database.query(QStringLiteral("select 包厢类型 from 包厢类型 where 包厢类型 = ?") +
                               database.dialect().forUpdate(),
                           {roomType});
        if (!room.next())
            return SetupOutcome::refused(QStringLiteral("请选择包厢类型!"));
        const QStringList clashes = storedAmong(database, numbers, ListedClashes);
        if (!clashes.isEmpty())
            return SetupOutcome::refused(clashMessage(clashes));
        if (beforeWriting)
            beforeWriting();
        insertTags(database, numbers, *start, roomType);
        transaction.commit();
    } catch (const DatabaseError& error) {
        if (!error.isUniqueViolation())
            return SetupOutcome::refused(error.text());
        // Another workstation stored some of these numbers after the check; the
        // batch was rolled back whole. Name what is there now.
        QStringList clashes;
        try {
            clashes = storedAmong(database, numbers, ListedClashes);
        } catch (const DatabaseError&) {
            // The refusal stands without the list.
        }
        return SetupOutcome::refused(clashMessage(clashes));
    }
    return SetupOutcome::ok();
}

} // namespace shoupai::tagbatch
