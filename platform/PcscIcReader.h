#pragma once

#include "platform/IcReader.h"

#include <cstdint>

namespace shoupai {

// The readers of the PC/SC service (pcscd and the reader's driver). A reader is
// open while a context is established and the reader is listed in it.
class PcscIcReader final : public IcReader
{
public:
    PcscIcReader() = default;
    ~PcscIcReader() override;
    PcscIcReader(const PcscIcReader&) = delete;
    PcscIcReader& operator=(const PcscIcReader&) = delete;

    QStringList readers() override;
    bool usable(const QString& name) override;
    bool open(const QString& name) override;
    void close() override;
    bool isOpen() const override { return m_context != 0 && !m_name.isEmpty(); }
    bool cardPresent() override;
    bool connect() override;
    std::optional<QByteArray> transmit(const QByteArray& command) override;
    void disconnect() override;
    // These readers have no standard buzzer: the desktop's bell stands in.
    void beep() override;

private:
    // The open context, or a fresh one that the caller releases (owned set).
    std::intptr_t context(bool& owned);

    // SCARDCONTEXT and SCARDHANDLE are kept as plain integers so that this
    // header does not pull the PC/SC headers into every unit.
    std::intptr_t m_context = 0;
    std::intptr_t m_card = 0;
    unsigned long m_protocol = 0;
    QString m_name;
};

} // namespace shoupai
