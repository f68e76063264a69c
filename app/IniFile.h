#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace shoupai {

// One value to write: its section, key and text.
struct IniValue
{
    QString section;
    QString key;
    QString value;
};

// system.ini: sections and keys matched without regard to case, every missing
// value read as "0", each write saved at once with the rest of the file
// (other sections, keys, comments) kept as it was. Legacy files in GBK are
// read too; the file is always written back in UTF-8. A save replaces the
// file whole (never half written) and keeps its permissions; a file that
// holds a password is made readable by its owner only.
class IniFile
{
public:
    enum class Content
    {
        Plain,
        Password // the values written are secret even where nothing shows it
    };

    IniFile() = default;
    explicit IniFile(const QString& path);

    // Reads the file again; a missing file is an empty configuration.
    void load();
    QString path() const { return m_path; }

    QString read(const QString& section, const QString& key,
                 const QString& defaultValue = QStringLiteral("0")) const;
    // Returns false (and leaves the file as it was) when it cannot be saved or a
    // value holds a line break, which would split it into lines of its own.
    bool write(const QString& section, const QString& key, const QString& value,
               Content content = Content::Plain);
    // Several values in one save: all of them reach the file, or none.
    bool write(const QList<IniValue>& values, Content content = Content::Plain);

private:
    int findSection(const QString& section) const;         // line of "[section]" or -1
    int sectionEnd(int headerLine) const;                  // first line after the section
    int findKey(int headerLine, const QString& key) const; // line of the key or -1
    void set(const IniValue& value);
    bool holdsPassword() const;
    bool save(bool ownerOnly) const;

    QString m_path;
    QStringList m_lines;
};

} // namespace shoupai
