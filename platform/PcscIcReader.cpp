#include "platform/PcscIcReader.h"

#include <QApplication>

#include <winscard.h>

namespace shoupai {

namespace {

QStringList listReaders(SCARDCONTEXT context)
{
    DWORD size = 0;
    if (SCardListReaders(context, nullptr, nullptr, &size) != SCARD_S_SUCCESS || size == 0)
        return {};
    QByteArray buffer(int(size), '\0');
    if (SCardListReaders(context, nullptr, buffer.data(), &size) != SCARD_S_SUCCESS)
        return {};
    // A multi-string: names ended by a zero byte, the list by an empty name.
    QStringList names;
    for (const QByteArray& name : buffer.left(int(size)).split('\0')) {
        if (!name.isEmpty())
            names << QString::fromLocal8Bit(name);
    }
    return names;
}

// The reader's state now, without waiting; 0 when it cannot be asked.
DWORD readerState(SCARDCONTEXT context, const QString& name)
{
    const QByteArray reader = name.toLocal8Bit();
    SCARD_READERSTATE state{};
    state.szReader = reader.constData();
    state.dwCurrentState = SCARD_STATE_UNAWARE;
    const LONG result = SCardGetStatusChange(context, 0, &state, 1);
    if (result != SCARD_S_SUCCESS && result != static_cast<LONG>(SCARD_E_TIMEOUT))
        return 0;
    return state.dwEventState;
}

} // namespace

PcscIcReader::~PcscIcReader()
{
    close();
}

std::intptr_t PcscIcReader::context(bool& owned)
{
    owned = false;
    if (m_context)
        return m_context;
    SCARDCONTEXT fresh = 0;
    if (SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &fresh) != SCARD_S_SUCCESS)
        return 0;
    owned = true;
    return fresh;
}

QStringList PcscIcReader::readers()
{
    bool owned = false;
    const SCARDCONTEXT c = context(owned);
    if (!c)
        return {};
    const QStringList names = listReaders(c);
    if (owned)
        SCardReleaseContext(c);
    return names;
}

bool PcscIcReader::usable(const QString& name)
{
    bool owned = false;
    const SCARDCONTEXT c = context(owned);
    if (!c)
        return false;
    const DWORD state = readerState(c, name);
    if (owned)
        SCardReleaseContext(c);
    return state != 0 &&
           !(state & (SCARD_STATE_UNAVAILABLE | SCARD_STATE_IGNORE | SCARD_STATE_UNKNOWN));
}

bool PcscIcReader::open(const QString& name)
{
    close();
    SCARDCONTEXT c = 0;
    if (SCardEstablishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &c) != SCARD_S_SUCCESS)
        return false;
    if (!listReaders(c).contains(name)) {
        SCardReleaseContext(c);
        return false;
    }
    m_context = c;
    m_name = name;
    return true;
}

void PcscIcReader::close()
{
    disconnect();
    if (m_context)
        SCardReleaseContext(m_context);
    m_context = 0;
    m_name.clear();
}

bool PcscIcReader::cardPresent()
{
    if (!isOpen())
        return false;
    return readerState(m_context, m_name) & SCARD_STATE_PRESENT;
}

bool PcscIcReader::connect()
{
    disconnect();
    if (!isOpen())
        return false;
    const QByteArray reader = m_name.toLocal8Bit();
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    // Shared: other programs may watch the reader; the card's state is ours only
    // for the length of this connection.
    if (SCardConnect(m_context, reader.constData(), SCARD_SHARE_SHARED,
                     SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &protocol) != SCARD_S_SUCCESS)
        return false;
    m_card = card;
    m_protocol = protocol;
    return true;
}

std::optional<QByteArray> PcscIcReader::transmit(const QByteArray& command)
{
    if (!m_card)
        return std::nullopt;
    const SCARD_IO_REQUEST* send = m_protocol == SCARD_PROTOCOL_T1 ? SCARD_PCI_T1 : SCARD_PCI_T0;
    unsigned char answer[MAX_BUFFER_SIZE];
    DWORD length = sizeof answer;
    if (SCardTransmit(m_card, send, reinterpret_cast<const unsigned char*>(command.constData()),
                      DWORD(command.size()), nullptr, answer, &length) != SCARD_S_SUCCESS)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(answer), int(length));
}

void PcscIcReader::disconnect()
{
    if (m_card)
        SCardDisconnect(m_card, SCARD_LEAVE_CARD);
    m_card = 0;
    m_protocol = 0;
}

void PcscIcReader::beep()
{
    QApplication::beep();
}

} // namespace shoupai
