// system.ini as anyone may have edited it (UTF-8 or legacy GBK): reading it,
// and writing one value back without disturbing anything else.
#include "FuzzSupport.h"

#include "app/IniFile.h"
#include "platform/GbkCodec.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

using shoupai::IniFile;

namespace {

QString name(fuzz::Input& in)
{
    static const QString alphabet = QStringLiteral("abcAB01_数据库");
    QString text;
    const int length = int(in.between(1, 6));
    for (int i = 0; i < length; ++i)
        text += alphabet.at(in.byte() % alphabet.size());
    return text;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The section and key names the file seems to hold, found without the reader.
void candidates(const QByteArray& bytes, QStringList& sections, QStringList& keys)
{
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter))
        text += shoupai::gbk::decode(bytes);
    static const QRegularExpression section(QStringLiteral(R"(\[([^\]\r\n]*)\])"));
    static const QRegularExpression key(QStringLiteral(R"((?:^|[\r\n])([^=\r\n]*)=)"));
    QSet<QString> seenSections, seenKeys;
    for (auto it = section.globalMatch(text); it.hasNext() && seenSections.size() < 12;)
        seenSections.insert(it.next().captured(1).trimmed());
    for (auto it = key.globalMatch(text); it.hasNext() && seenKeys.size() < 12;)
        seenKeys.insert(it.next().captured(1).trimmed());
    sections = seenSections.values();
    keys = seenKeys.values();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::Input in(data, size);
    const bool legacy = in.flag();
    const QString section = name(in);
    const QString key = name(in);
    const QString value = in.text(40);
    QByteArray bytes = in.rest();
    if (legacy)
        bytes = shoupai::gbk::encode(QString::fromUtf8(bytes));
    const QString path = fuzz::writeScratchFile(QStringLiteral(".ini"), bytes);

    IniFile before(path);
    QStringList sections, keys;
    candidates(bytes, sections, keys);
    sections << section;
    keys << key;
    QHash<QPair<QString, QString>, QString> seen;
    for (const QString& s : sections)
        for (const QString& k : keys)
            seen.insert({s, k}, before.read(s, k, QStringLiteral("\x01missing")));

    IniFile ini(path);
    const bool breaksLine = value.contains(u'\r') || value.contains(u'\n');
    const bool written = ini.write(section, key, value);
    FUZZ_CHECK(written == !breaksLine, section + u'/' + key + u'=' + value);
    if (!written) {
        FUZZ_CHECK(fileBytes(path) == bytes, QStringLiteral("refused write changed the file"));
        return 0;
    }
    const IniFile after(path);
    FUZZ_CHECK(after.read(section, key) == value.trimmed(), section + u'/' + key + u'=' + value);
    FUZZ_CHECK(ini.read(section, key) == value.trimmed(), section + u'/' + key);
    for (auto it = seen.cbegin(); it != seen.cend(); ++it) {
        const auto& [s, k] = it.key();
        if (s.compare(section, Qt::CaseInsensitive) == 0 &&
            k.compare(key, Qt::CaseInsensitive) == 0)
            continue;
        const QString now = after.read(s, k, QStringLiteral("\x01missing"));
        FUZZ_CHECK(now == it.value(), QStringLiteral("[%1] %2: %3 became %4 after writing [%5] %6")
                                          .arg(s, k, it.value(), now, section, key));
    }
    return 0;
}
