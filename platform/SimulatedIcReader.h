#pragma once

#include "platform/IcReader.h"

#include <QList>

namespace shoupai {

// A reader with a 4442-type memory card that lives in a file: the card's
// 256 bytes of main memory, present while the file exists. It answers the
// command frames of the PC/SC readers for these cards (see README), keeps the
// card's security code and error counter, and can be told to misbehave the
// way real cards and readers do, so that the card service's guards are tested.
class SimulatedIcReader final : public IcReader
{
public:
    struct Slot
    {
        QString name;
        bool usable = true;
    };

    static constexpr int MemorySize = 256;

    explicit SimulatedIcReader(const QString& imagePath);

    QStringList readers() override;
    bool usable(const QString& name) override;
    bool open(const QString& name) override;
    void close() override;
    bool isOpen() const override { return !m_openName.isEmpty(); }
    bool cardPresent() override;
    bool connect() override;
    std::optional<QByteArray> transmit(const QByteArray& command) override;
    void disconnect() override;
    void beep() override { ++m_beeps; }

    // Setup and observation for tests.
    void setSlots(const QList<Slot>& slotList) { m_slots = slotList; }
    QString openName() const { return m_openName; }
    int beeps() const { return m_beeps; }
    QString imagePath() const { return m_path; }
    // The card's code (3 bytes) and its error counter (bit per try left: 7, 3, 1, 0).
    void setSecurityCode(const QByteArray& code) { m_code = code; }
    void setErrorCounter(quint8 counter) { m_counter = counter; }
    quint8 errorCounter() const { return m_counter; }
    // How many times a code was presented since the start.
    int codesPresented() const { return m_codesPresented; }
    // The card drops writes while the reader still answers success.
    void setIgnoresWrites(bool ignores) { m_ignoresWrites = ignores; }
    // Reads answer with an error status.
    void setReadFails(bool fails) { m_readFails = fails; }
    // Answers as older readers do: protection bytes after the data, the code echoed.
    void setOlderReaderAnswers(bool older) { m_older = older; }
    // Writes memory bytes to the card file (creating the card).
    bool insertCard(const QByteArray& memory);
    bool removeCard();
    QByteArray memory() const;

private:
    QByteArray answer(const QByteArray& command);
    QByteArray readMemory(int address, int length) const;

    QString m_path;
    QList<Slot> m_slots;
    QString m_openName;
    bool m_connected = false;
    bool m_selected = false;
    bool m_unlocked = false;
    QByteArray m_code = QByteArray::fromHex("FFFFFF");
    quint8 m_counter = 0x07;
    int m_codesPresented = 0;
    int m_beeps = 0;
    bool m_ignoresWrites = false;
    bool m_readFails = false;
    bool m_older = false;
};

} // namespace shoupai
