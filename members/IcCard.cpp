#include "members/IcCard.h"

#include "common/Prompter.h"
#include "platform/GbkCodec.h"
#include "platform/IcReader.h"
#include "platform/PcscIcReader.h"
#include "platform/SimulatedIcReader.h"

#include <QDir>

namespace shoupai {

namespace {

// The text block: 100 bytes from card address 32 (0x20, 0x64 in the commands).
constexpr int BlockSize = 100;

// The factory code of the cards, the same for every card the system writes.
const QByteArray securityCode = QByteArray::fromHex("FFFFFF");

const QByteArray statusOk = QByteArray::fromHex("9000");

const QByteArray selectCard = QByteArray::fromHex("FFA4000001") + QByteArray(1, char(0x06));
const QByteArray readBlock = QByteArray::fromHex("FFB0002064");
const QByteArray readErrorCounter = QByteArray::fromHex("FFB1000004");
const QByteArray presentCode = QByteArray::fromHex("FF20000003") + securityCode;
const QByteArray writeBlock = QByteArray::fromHex("FFD0002064");

struct Service
{
    std::unique_ptr<IcReader> reader;
    QStringList listing; // the readers of the last listing
    QString remembered;  // found by a probe; kept for the run
};

Service& service()
{
    static Service s;
    return s;
}

// The card's exchange for one operation: connected until it goes out of scope.
class CardConnection
{
public:
    explicit CardConnection(IcReader& reader) : m_reader(reader), m_ok(reader.connect()) {}
    ~CardConnection() { m_reader.disconnect(); }
    CardConnection(const CardConnection&) = delete;
    CardConnection& operator=(const CardConnection&) = delete;

    bool connected() const { return m_ok; }
    std::optional<QByteArray> send(const QByteArray& command)
    {
        return m_ok ? m_reader.transmit(command) : std::nullopt;
    }
    // Selects the 4442 card; every operation starts here, since a select
    // resets the card and forgets a code presented before.
    bool select()
    {
        const std::optional<QByteArray> answer = send(selectCard);
        return answer && *answer == statusOk;
    }
    // The 100 bytes of the text block.
    std::optional<QByteArray> readText()
    {
        const std::optional<QByteArray> answer = send(readBlock);
        if (!answer || !answer->endsWith(statusOk))
            return std::nullopt;
        // Older readers append the four protection bytes after the data.
        const qsizetype data = answer->size() - statusOk.size();
        if (data != BlockSize && data != BlockSize + 4)
            return std::nullopt;
        return answer->left(BlockSize);
    }
    // Tries left before the card locks for good (0 to 3); nothing when unreadable.
    std::optional<int> triesLeft()
    {
        const std::optional<QByteArray> answer = send(readErrorCounter);
        if (!answer || answer->size() != 4 + statusOk.size() || !answer->endsWith(statusOk))
            return std::nullopt;
        const auto counter = static_cast<quint8>(answer->at(0));
        return (counter & 1) + ((counter >> 1) & 1) + ((counter >> 2) & 1);
    }
    bool presentSecurityCode()
    {
        const std::optional<QByteArray> answer = send(presentCode);
        if (!answer)
            return false;
        // 90 07: accepted, all three tries restored. Older readers echo the
        // counter and the code before 90 00.
        return *answer == QByteArray::fromHex("9007") ||
               *answer == QByteArray(1, char(0x07)) + securityCode + statusOk;
    }
    bool write(const QByteArray& block)
    {
        const std::optional<QByteArray> answer = send(writeBlock + block);
        return answer && *answer == statusOk;
    }

private:
    IcReader& m_reader;
    bool m_ok;
};

bool isTrimmed(QChar c)
{
    return c.isSpace() || c.category() == QChar::Other_Control;
}

QString trimmedText(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// The text block for a text: its GBK bytes, a zero byte after them when they
// are shorter than the block. Only whole characters go in: a longer text is
// cut at the last character that fits.
QByteArray blockFor(const QString& text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QByteArray character = gbk::encode(text.mid(i, length));
        if (bytes.size() + character.size() > BlockSize)
            break;
        bytes += character;
        i += length;
    }
    bytes.append(QByteArray(BlockSize - bytes.size(), '\0'));
    return bytes;
}

QString textOf(const QByteArray& block)
{
    const qsizetype end = block.indexOf('\0');
    return gbk::decode(end < 0 ? block.left(BlockSize) : block.left(end));
}

} // namespace

IcReader& IcCurrentReader()
{
    Service& s = service();
    if (!s.reader)
        s.reader = std::make_unique<PcscIcReader>();
    return *s.reader;
}

void IcUseReader(std::unique_ptr<IcReader> reader)
{
    Service& s = service();
    if (s.reader)
        s.reader->close();
    s.reader = std::move(reader);
    s.listing.clear();
    s.remembered.clear();
}

void IcSelectDevice(const QString& device, const QString& homeFolder)
{
    if (device.trimmed().compare(QStringLiteral("sim"), Qt::CaseInsensitive) == 0)
        IcUseReader(std::make_unique<SimulatedIcReader>(
            QDir(homeFolder).filePath(QStringLiteral("iccard.img"))));
    else
        IcUseReader(std::make_unique<PcscIcReader>());
}

QString IcPortName(int index)
{
    const QStringList& listing = service().listing;
    if (index < 0 || index >= listing.size())
        return QStringLiteral("error");
    return listing.at(index);
}

void IcProbe(QStringList& log)
{
    IcClose();
    IcReader& reader = IcCurrentReader();
    Service& s = service();
    s.listing = reader.readers();
    QString found;
    for (int i = 0; i < s.listing.size(); ++i) {
        log << QStringLiteral("正在检查通信端口:") + IcPortName(i);
        if (reader.usable(s.listing.at(i))) {
            found = s.listing.at(i);
            log << QStringLiteral("找到设备,连接端口为:") + found;
            break;
        }
    }
    if (found.isEmpty()) {
        log << QStringLiteral("未发现设备!");
        return;
    }
    s.remembered = found;
    if (!reader.open(found)) {
        log << QStringLiteral("设备初始化失败!");
        return;
    }
    reader.beep();
    log << QStringLiteral("设备初始化成功!");
}

void IcInit()
{
    IcReader& reader = IcCurrentReader();
    Service& s = service();
    reader.close();
    QString name = s.remembered;
    if (name.isEmpty()) {
        s.listing = reader.readers();
        name = s.listing.value(0);
    }
    if (name.isEmpty() || !reader.open(name)) {
        Prompter::current().error(QStringLiteral("设备初始化失败!"));
        return;
    }
    reader.beep();
    Prompter::current().inform(QStringLiteral("设备初始化成功!"));
}

bool IcCardPresent()
{
    if (IcCurrentReader().cardPresent())
        return true;
    Prompter::current().warn(QStringLiteral("请插卡!"));
    return false;
}

QString IcRead()
{
    if (!IcCardPresent())
        return {};
    IcReader& reader = IcCurrentReader();
    std::optional<QByteArray> block;
    {
        CardConnection card(reader);
        if (card.select())
            block = card.readText();
    }
    if (!block) {
        Prompter::current().error(QStringLiteral("数据读取失败!"));
        return QStringLiteral(" ");
    }
    reader.beep();
    return textOf(*block);
}

bool IcWrite(const QString& text)
{
    if (!IcCardPresent())
        return false;
    IcReader& reader = IcCurrentReader();
    CardConnection card(reader);
    // A 4442 locks for good after three wrong codes: with one try left the
    // code is not risked (nor on a card that cannot say how many are left).
    if (!card.select() || card.triesLeft().value_or(0) <= 1 || !card.presentSecurityCode()) {
        Prompter::current().error(QStringLiteral("密码校验失败!"));
        return false;
    }
    const QString trimmed = trimmedText(text);
    if (trimmed.isEmpty()) {
        Prompter::current().warn(QStringLiteral("请输入要写入的数据!"));
        return false;
    }
    const QByteArray block = blockFor(trimmed);
    // The card drops a write it is not unlocked for while the reader may still
    // answer success: only what reads back counts.
    if (!card.write(block) || card.readText() != block) {
        Prompter::current().error(QStringLiteral("数据写入失败"));
        return false;
    }
    reader.beep();
    Prompter::current().inform(QStringLiteral("写卡成功!"));
    return true;
}

void IcClose()
{
    if (service().reader)
        service().reader->close();
}

} // namespace shoupai
