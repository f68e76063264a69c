#include "app/IniFile.h"

#include "platform/GbkCodec.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace shoupai {

namespace {

QString sectionName(const QString& line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.startsWith(u'[') && trimmed.endsWith(u']'))
        return trimmed.mid(1, trimmed.size() - 2).trimmed();
    return {};
}

bool isComment(const QString& trimmed)
{
    return trimmed.startsWith(u';') || trimmed.startsWith(u'#');
}

QString decodeConfiguration(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return gbk::decode(bytes);
}

} // namespace

IniFile::IniFile(const QString& path) : m_path(path)
{
    load();
}

void IniFile::load()
{
    m_lines.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QString text = decodeConfiguration(file.readAll());
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_lines = text.split(u'\n');
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
}

int IniFile::findSection(const QString& section) const
{
    for (int i = 0; i < m_lines.size(); ++i) {
        const QString name = sectionName(m_lines[i]);
        if (!name.isEmpty() && name.compare(section, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int IniFile::sectionEnd(int headerLine) const
{
    int i = headerLine + 1;
    while (i < m_lines.size() && sectionName(m_lines[i]).isEmpty())
        ++i;
    return i;
}

int IniFile::findKey(int headerLine, const QString& key) const
{
    const int end = sectionEnd(headerLine);
    for (int i = headerLine + 1; i < end; ++i) {
        const QString trimmed = m_lines[i].trimmed();
        if (trimmed.isEmpty() || isComment(trimmed))
            continue;
        const qsizetype eq = trimmed.indexOf(u'=');
        if (eq < 0)
            continue;
        if (trimmed.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString IniFile::read(const QString& section, const QString& key, const QString& defaultValue) const
{
    const int header = findSection(section);
    if (header < 0)
        return defaultValue;
    const int line = findKey(header, key);
    if (line < 0)
        return defaultValue;
    const QString& text = m_lines[line];
    return text.mid(text.indexOf(u'=') + 1).trimmed();
}

bool IniFile::write(const QString& section, const QString& key, const QString& value,
                    Content content)
{
    return write(QList<IniValue>{{section, key, value}}, content);
}

bool IniFile::write(const QList<IniValue>& values, Content content)
{
    for (const IniValue& value : values) {
        if (value.value.contains(u'\r') || value.value.contains(u'\n'))
            return false;
    }
    const QStringList before = m_lines;
    for (const IniValue& value : values)
        set(value);
    if (!save(content == Content::Password || holdsPassword())) {
        m_lines = before;
        return false;
    }
    return true;
}

void IniFile::set(const IniValue& value)
{
    int header = findSection(value.section);
    if (header < 0) {
        if (!m_lines.isEmpty() && !m_lines.last().trimmed().isEmpty())
            m_lines.append(QString());
        m_lines.append(u'[' + value.section + u']');
        header = static_cast<int>(m_lines.size()) - 1;
    }
    const int line = findKey(header, value.key);
    if (line >= 0) {
        const QString& old = m_lines[line];
        m_lines[line] = old.left(old.indexOf(u'=') + 1) + value.value;
    } else {
        // After the section's last key, before the blank lines that separate it.
        int insertAt = sectionEnd(header);
        while (insertAt > header + 1 && m_lines[insertAt - 1].trimmed().isEmpty())
            --insertAt;
        m_lines.insert(insertAt, value.key + u'=' + value.value);
    }
}

bool IniFile::holdsPassword() const
{
    // The server's password key, or a connection description that carries one.
    for (const QString& line : m_lines) {
        const QString trimmed = line.trimmed();
        if (isComment(trimmed))
            continue;
        const qsizetype eq = trimmed.indexOf(u'=');
        if (eq < 0)
            continue;
        if (trimmed.left(eq).trimmed().compare(u"password", Qt::CaseInsensitive) == 0 ||
            trimmed.mid(eq + 1).contains(u"password=", Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool IniFile::save(bool ownerOnly) const
{
    constexpr QFileDevice::Permissions owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QFile existing(m_path);
    const bool exists = existing.exists();
    // Narrowed before the write, so the secret is never readable by others even
    // for a moment, nor left so when the save fails.
    if (ownerOnly && exists && !existing.setPermissions(owner))
        return false;
    const QFileDevice::Permissions mode = ownerOnly ? owner : existing.permissions();

    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if ((ownerOnly || exists) && !file.setPermissions(mode))
        return false;
    const QByteArray bytes = (m_lines.join(u'\n') + u'\n').toUtf8();
    // The flush shows a failed write (a full disk) that commit() would not.
    if (file.write(bytes) != bytes.size() || !file.flush())
        return false;
    return file.commit();
}

} // namespace shoupai
