#pragma once

#include <QIcon>
#include <QString>

#include <optional>

namespace shoupai {

// The four pictures of the board's tiles, by the tag state they stand for.
enum TagPicture
{
    AvailablePicture = 0,
    OccupiedPicture = 1,
    ReservedPicture = 2,
    OutOfServicePicture = 3
};

// The picture of a stored 手牌状态; any unknown value shows as available.
int tagPicture(const QString& state);
// The picture of a state re-read from the database; nothing for an unknown value.
std::optional<int> knownTagPicture(const QString& state);
// The state text a picture stands for ("可用", "占用", "预定", "停用").
QString tagStateText(int picture);
// The 64 x 64 picture of a tile.
QIcon tagIcon(int picture);

// A stay as hours, minutes and seconds, two digits at least each: the hours
// run past 24 ("25:10:00"); a negative span (clock set back) shows zero.
QString elapsedText(qint64 seconds);

} // namespace shoupai
