#include "platform/SimulatedIcReader.h"

#include <QFile>
#include <QSaveFile>

#include <utility>

namespace shoupai {

namespace {

const QByteArray ok = QByteArray::fromHex("9000");
const QByteArray wrongLength = QByteArray::fromHex("6700");
const QByteArray notSupported = QByteArray::fromHex("6A81");
const QByteArray conditionsNotSatisfied = QByteArray::fromHex("6985");
const QByteArray readerError = QByteArray::fromHex("6F00");

quint8 byteAt(const QByteArray& bytes, int i)
{
    return static_cast<quint8>(bytes.at(i));
}

} // namespace

SimulatedIcReader::SimulatedIcReader(const QString& imagePath)
    : m_path(imagePath), m_slots{{QStringLiteral("Shoupai Simulated Reader 00 00"), true}}
{
}

QStringList SimulatedIcReader::readers()
{
    QStringList names;
    for (const Slot& slot : std::as_const(m_slots))
        names << slot.name;
    return names;
}

bool SimulatedIcReader::usable(const QString& name)
{
    for (const Slot& slot : std::as_const(m_slots)) {
        if (slot.name == name)
            return slot.usable;
    }
    return false;
}

bool SimulatedIcReader::open(const QString& name)
{
    close();
    if (!readers().contains(name))
        return false;
    m_openName = name;
    return true;
}

void SimulatedIcReader::close()
{
    disconnect();
    m_openName.clear();
}

bool SimulatedIcReader::cardPresent()
{
    return isOpen() && QFile::exists(m_path);
}

bool SimulatedIcReader::connect()
{
    if (!cardPresent())
        return false;
    m_connected = true;
    m_selected = false;
    m_unlocked = false;
    return true;
}

void SimulatedIcReader::disconnect()
{
    m_connected = false;
    m_selected = false;
    m_unlocked = false;
}

std::optional<QByteArray> SimulatedIcReader::transmit(const QByteArray& command)
{
    // A card pulled out in the middle ends the exchange.
    if (!m_connected || !QFile::exists(m_path))
        return std::nullopt;
    return answer(command);
}

QByteArray SimulatedIcReader::answer(const QByteArray& command)
{
    if (command.size() < 5 || byteAt(command, 0) != 0xFF)
        return notSupported;
    const quint8 ins = byteAt(command, 1);
    const int address = (byteAt(command, 2) << 8) | byteAt(command, 3);
    const int length = byteAt(command, 4);
    const QByteArray data = command.mid(5);

    switch (ins) {
    case 0xA4: // select card type; a select resets the card
        if (data.size() != 1 || length != 1)
            return wrongLength;
        if (byteAt(data, 0) != 0x06)
            return notSupported;
        m_selected = true;
        m_unlocked = false;
        return ok;
    case 0xB0: // read main memory
        if (!m_selected)
            return conditionsNotSatisfied;
        if (m_readFails)
            return readerError;
        if (address + length > MemorySize)
            return wrongLength;
        if (m_older) // protection bits follow the data
            return readMemory(address, length) + QByteArray(4, '\0') + ok;
        return readMemory(address, length) + ok;
    case 0xB1: // read security memory: error counter, then the code (hidden until unlocked)
        if (!m_selected)
            return conditionsNotSatisfied;
        return QByteArray(1, char(m_counter)) + (m_unlocked ? m_code : QByteArray(3, '\0')) + ok;
    case 0x20: { // present the security code
        if (!m_selected)
            return conditionsNotSatisfied;
        if (data.size() != 3 || length != 3)
            return wrongLength;
        ++m_codesPresented;
        if ((m_counter & 0x07) == 0)
            return QByteArray::fromHex("6983"); // locked for good
        if (data != m_code) {
            // Each wrong code clears one bit of the counter for good.
            if (m_counter & 0x04)
                m_counter &= 0x03;
            else if (m_counter & 0x02)
                m_counter &= 0x01;
            else
                m_counter = 0;
            const int triesLeft = (m_counter & 1) + ((m_counter >> 1) & 1) + ((m_counter >> 2) & 1);
            return QByteArray::fromHex("63") + QByteArray(1, char(0xC0 | triesLeft));
        }
        m_counter = 0x07;
        m_unlocked = true;
        if (m_older)
            return QByteArray(1, char(0x07)) + m_code + ok;
        return QByteArray::fromHex("9007");
    }
    case 0xD0: { // write main memory
        if (!m_selected)
            return conditionsNotSatisfied;
        if (data.size() != length || address + length > MemorySize)
            return wrongLength;
        // Without the code the card ignores the write, and the reader still says yes.
        if (!m_unlocked || m_ignoresWrites)
            return ok;
        QByteArray image = memory();
        image.replace(address, length, data);
        QSaveFile file(m_path);
        if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size() || !file.commit())
            return readerError;
        return ok;
    }
    default:
        return notSupported;
    }
}

QByteArray SimulatedIcReader::memory() const
{
    QFile file(m_path);
    QByteArray image;
    if (file.open(QIODevice::ReadOnly))
        image = file.read(MemorySize);
    // A short file is a card whose remaining bytes were never written.
    image.append(QByteArray(MemorySize - image.size(), '\0'));
    return image;
}

QByteArray SimulatedIcReader::readMemory(int address, int length) const
{
    return memory().mid(address, length);
}

bool SimulatedIcReader::insertCard(const QByteArray& memoryBytes)
{
    QByteArray image = memoryBytes.left(MemorySize);
    image.append(QByteArray(MemorySize - image.size(), '\0'));
    QSaveFile file(m_path);
    return file.open(QIODevice::WriteOnly) && file.write(image) == image.size() && file.commit();
}

bool SimulatedIcReader::removeCard()
{
    return !QFile::exists(m_path) || QFile::remove(m_path);
}

} // namespace shoupai
