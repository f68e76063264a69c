#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace shoupai {

class IcReader;

// The contact IC card service: the member card number stored on a 4442-type
// memory card, one 100-byte text block from card address 32, in GBK. One
// service per process; messages go through the prompter, the probe's progress
// into the log it is given. The readers are those of the PC/SC service, or a
// simulated card (system.ini [IcCard] device=sim).

// Name of reader index of the last listing, "error" for any other index.
QString IcPortName(int index);
// Closes the reader, lists the readers and opens the first usable one, which
// stays remembered for the run; the progress goes into log.
void IcProbe(QStringList& log);
// Opens the remembered reader, or the first listed one when no probe found one.
void IcInit();
// Whether a card is in the open reader; says "请插卡!" when not.
bool IcCardPresent();
// The card number on the card; empty without a card, a single blank when the
// read failed.
QString IcRead();
// Writes the trimmed text onto the card and reads it back; true when the card
// holds it.
bool IcWrite(const QString& text);
void IcClose();

// Picks the reader: "sim" for the simulated card iccard.img in homeFolder,
// anything else the PC/SC readers. Forgets the remembered reader.
void IcSelectDevice(const QString& device, const QString& homeFolder);
// Installs a reader (tests); the service owns it.
void IcUseReader(std::unique_ptr<IcReader> reader);
// The reader in use (PC/SC until another is picked).
IcReader& IcCurrentReader();

} // namespace shoupai
