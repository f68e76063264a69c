#pragma once

#include <QString>
#include <QStringList>

namespace shoupai {

// system.ini: sections and keys matched without regard to case, every missing
// value read as "0", each write saved at once with the rest of the file
// (other sections, keys, comments) kept as it was. Legacy files in GBK are
// read too; the file is always written back in UTF-8.
class IniFile
{
public:
    IniFile() = default;
    explicit IniFile(const QString& path);

    // Reads the file again; a missing file is an empty configuration.
    void load();
    QString path() const { return m_path; }

    QString read(const QString& section, const QString& key,
                 const QString& defaultValue = QStringLiteral("0")) const;
    // Returns false (and leaves the file as it was) when it cannot be saved.
    bool write(const QString& section, const QString& key, const QString& value);

private:
    int findSection(const QString& section) const;         // line of "[section]" or -1
    int sectionEnd(int headerLine) const;                  // first line after the section
    int findKey(int headerLine, const QString& key) const; // line of the key or -1
    bool save() const;

    QString m_path;
    QStringList m_lines;
};

} // namespace shoupai
