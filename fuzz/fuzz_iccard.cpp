// The member card: whatever bytes a card (or a reader) hands over become the
// card number the checkout looks up, and what is written reads back.
#include "FuzzSupport.h"

#include "common/Prompter.h"
#include "members/IcCard.h"
#include "platform/GbkCodec.h"
#include "platform/IcReader.h"
#include "platform/SimulatedIcReader.h"

#include <memory>

using namespace shoupai;

namespace {

// A reader that answers every frame from the input.
class ScriptedReader final : public IcReader
{
public:
    explicit ScriptedReader(fuzz::Input& in) : m_in(in) {}

    QStringList readers() override { return {QStringLiteral("Fuzz")}; }
    bool usable(const QString&) override { return true; }
    bool open(const QString&) override { return true; }
    void close() override {}
    bool isOpen() const override { return true; }
    bool cardPresent() override { return m_in.byte() % 8 != 0; }
    bool connect() override { return m_in.byte() % 8 != 0; }
    std::optional<QByteArray> transmit(const QByteArray&) override
    {
        switch (m_in.byte() % 8) {
        case 0:
            return std::nullopt;
        case 1:
            return m_in.bytes(120);
        default: // a well-formed answer around some data
            return m_in.bytes(110) + QByteArray::fromHex("9000");
        }
    }
    void disconnect() override {}
    void beep() override {}

private:
    fuzz::Input& m_in;
};

// The text bytes of a card block: up to the first zero byte, at most 100.
QByteArray textBytes(const QByteArray& block)
{
    const QByteArray text = block.left(100);
    const qsizetype end = text.indexOf('\0');
    return end < 0 ? text : text.left(end);
}

// A card number that came out of the bytes is exactly those bytes, decoded.
void checkReadText(const QString& read, const QString& detail)
{
    FUZZ_CHECK(!read.contains(QChar(0)), detail);
    FUZZ_CHECK(read.size() <= 100, detail);
}

void readFromScriptedReader(fuzz::Input& in)
{
    ScriptedPrompter prompter;
    IcUseReader(std::make_unique<ScriptedReader>(in));
    const QString read = IcRead();
    checkReadText(read, read);
    if (read == u" ")
        FUZZ_CHECK(prompter.lastText() == u"数据读取失败!", prompter.lastText());
    IcUseReader(nullptr);
}

// A sound card holding anything: it reads as its text block; a card number
// written onto it reads back as written, cut to whole characters that fit.
void writeAndReadSimulatedCard(fuzz::Input& in)
{
    ScriptedPrompter prompter;
    QByteArray memory = in.bytes(SimulatedIcReader::MemorySize);
    memory.append(QByteArray(SimulatedIcReader::MemorySize - memory.size(), '\0'));
    const QString text = in.text(160);
    auto owned = std::make_unique<SimulatedIcReader>(
        fuzz::writeScratchFile(QStringLiteral(".img"), QByteArray()));
    SimulatedIcReader& reader = *owned;
    FUZZ_CHECK(reader.insertCard(memory), QStringLiteral("card inserted"));
    FUZZ_CHECK(reader.open(reader.readers().value(0)), QStringLiteral("reader opened"));
    IcUseReader(std::move(owned));

    const QString before = IcRead();
    const QByteArray stored = textBytes(memory.mid(32));
    checkReadText(before, fuzz::hex(memory.mid(32, 100)));
    if (!before.contains(QChar::ReplacementCharacter))
        FUZZ_CHECK(gbk::encode(before) == stored, fuzz::hex(memory.mid(32, 100)));

    const bool written = IcWrite(text);
    // What the card takes: the text without blanks and control characters around it.
    qsizetype begin = 0, end = text.size();
    const auto blank = [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; };
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    const QString trimmed = text.mid(begin, end - begin);
    if (written) {
        const QString after = IcRead();
        checkReadText(after, text);
        if (!trimmed.contains(QChar(0))) {
            FUZZ_CHECK(trimmed.startsWith(after), text + QStringLiteral(" -> ") + after);
            // Cut only where the next character would not fit the block.
            if (after.size() < trimmed.size()) {
                const qsizetype next = trimmed.at(after.size()).isHighSurrogate() ? 2 : 1;
                FUZZ_CHECK(gbk::byteLength(trimmed.left(after.size() + next)) > 100,
                           text + QStringLiteral(" -> ") + after);
            }
        }
    } else {
        FUZZ_CHECK(!prompter.lastText().isEmpty(), text);
    }
    IcUseReader(nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    if (in.flag())
        readFromScriptedReader(in);
    else
        writeAndReadSimulatedCard(in);
    return 0;
}
