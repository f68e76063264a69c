#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace shoupai {

// A contact card reader as the card service sees it: readers to list and open,
// a card to detect, command frames (APDUs) to exchange over one connection,
// and a beep. What the frames mean is the card service's business.
class IcReader
{
public:
    virtual ~IcReader() = default;

    // Names of the readers attached now; empty when none (or no reader service runs).
    virtual QStringList readers() = 0;
    // Whether the named reader can be used now (attached and answering).
    virtual bool usable(const QString& name) = 0;
    // Opens the named reader, closing whatever was open; false when it is not listed.
    virtual bool open(const QString& name) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Whether a card sits in the open reader, asked without waiting.
    virtual bool cardPresent() = 0;

    // One connection to the card: the card keeps what was presented to it
    // (its security code) only until the connection ends.
    virtual bool connect() = 0;
    // The card's answer to one frame, status word included; nothing when the
    // exchange itself failed.
    virtual std::optional<QByteArray> transmit(const QByteArray& command) = 0;
    virtual void disconnect() = 0;

    // Tells the operator an operation succeeded.
    virtual void beep() = 0;
};

} // namespace shoupai
