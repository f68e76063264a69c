#include "floor/TagState.h"

#include <array>

// The resources live in the static library; make sure they are registered.
static void registerResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace shoupai {

namespace {

const std::array<QString, 4>& stateTexts()
{
    static const std::array<QString, 4> texts = {QStringLiteral("可用"), QStringLiteral("占用"),
                                                 QStringLiteral("预定"), QStringLiteral("停用")};
    return texts;
}

} // namespace

std::optional<int> knownTagPicture(const QString& state)
{
    const auto& texts = stateTexts();
    for (int i = 0; i < int(texts.size()); ++i) {
        if (texts[i] == state)
            return i;
    }
    return std::nullopt;
}

int tagPicture(const QString& state)
{
    return knownTagPicture(state).value_or(AvailablePicture);
}

QString tagStateText(int picture)
{
    const auto& texts = stateTexts();
    return picture >= 0 && picture < int(texts.size()) ? texts[picture] : texts[0];
}

QIcon tagIcon(int picture)
{
    // Loaded once: every tile shares the four pictures.
    static const std::array<QIcon, 4> icons = [] {
        registerResources();
        static const char* const files[] = {":/tag-available.svg", ":/tag-occupied.svg",
                                            ":/tag-reserved.svg", ":/tag-out-of-service.svg"};
        std::array<QIcon, 4> loaded;
        for (int i = 0; i < 4; ++i)
            loaded[i].addFile(QString::fromLatin1(files[i]), QSize(64, 64));
        return loaded;
    }();
    if (picture < 0 || picture > 3)
        picture = AvailablePicture;
    return icons[picture];
}

QString elapsedText(qint64 seconds)
{
    if (seconds < 0)
        seconds = 0;
    const qint64 hours = seconds / 3600;
    const int minutes = int(seconds % 3600 / 60);
    const int rest = int(seconds % 60);
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QChar(u'0'))
        .arg(minutes, 2, 10, QChar(u'0'))
        .arg(rest, 2, 10, QChar(u'0'));
}

} // namespace shoupai
