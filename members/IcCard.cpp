#include "members/IcCard.h"

namespace shoupai {

QString IcPortName(int index)
{
    if (index < 0 || index > 3)
        return QStringLiteral("error");
    return QStringLiteral("COM%1").arg(index + 1);
}

void IcProbe(QStringList& log)
{
    log << QStringLiteral("没有找到IC读卡器");
}

void IcInit() {}

bool IcCardPresent()
{
    return false;
}

QString IcRead()
{
    return {};
}

void IcWrite(const QString&) {}

void IcClose() {}

} // namespace shoupai
