#pragma once

#include <QString>
#include <QStringList>

namespace shoupai {

// The contact IC card service: the member card number stored on a card.
// Until the reader is bound, every operation is a harmless no-op: no reader is
// found and a read yields an empty text.

// "COM1" to "COM4" for 0 to 3, "error" otherwise.
QString IcPortName(int index);
// Looks for the reader, appending its progress to log.
void IcProbe(QStringList& log);
// Opens the reader on the remembered port.
void IcInit();
bool IcCardPresent();
// The card number on the card, or an empty text.
QString IcRead();
void IcWrite(const QString& text);
void IcClose();

} // namespace shoupai
