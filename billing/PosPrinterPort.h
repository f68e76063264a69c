#pragma once

#include <QByteArray>
#include <QString>

namespace shoupai {

// The POS receipt printer as the configured port name reaches it: "LPT1".."LPT3"
// are the parallel printers, "COM1".."COM9" the serial lines, and a name with a
// "/" is a path (a USB printer, a named pipe, a file). The port is opened for
// each receipt, written and closed again, so a changed port counts at once.
class PosPrinterPort
{
public:
    // The device a port name stands for; empty when it names none (the error
    // then says why). "/dev/usb/lpN" is taken when "/dev/lpN" is missing and it exists.
    static QString devicePath(const QString& portName, QString* error = nullptr);

    // Writes the bytes to the port; on failure shows the system's reason
    // through the prompter and returns false. What was written stays written.
    static bool print(const QString& portName, const QByteArray& bytes);

    // The same without the prompter: the reason of a failure, empty on success.
    // A device that accepts nothing for stallMs milliseconds has failed.
    static QString write(const QString& portName, const QByteArray& bytes, int stallMs = 10000);
};

} // namespace shoupai
